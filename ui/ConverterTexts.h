#pragma once

#include "VariantTable.h"

// The converter window's own texts for the info log and its error boxes, as Windows-1252 bytes
// (\xE4 is a-umlaut, \xF6 o-umlaut). Their spelling is the program's established output,
// partly transliterated and partly not: do not correct it. Lines of a log entry are separate
// strings; the log adds CR LF after each.
namespace Texts {

constexpr char kSelectedHeading[] = "-> Neue Datei augew\xE4hlt";
constexpr char kSelectedName[] = "    Name: ";
constexpr char kSelectedSizeFormat[] = "    Groesse: %d";

constexpr char kRejected1[] = "-> Datei hat die falsche groesse";
constexpr char kRejected2[] = "    und wurde deshalb nicht";
constexpr char kRejected3[] = "    ausgewaehlt!!!";

constexpr char kBootLoaderRemoved[] = "-> BootLoader wurde entfernt!";
constexpr char kCloneDone[] = "-> Clonen abgeschlossen!";

constexpr char kNothingSelected[] = "Keine Datei ausgew\xE4hlt!";
constexpr char kBootLoaderNotOpened[] = "BL-Datei konnte nicht ge\xF6"
                                        "ffnet werden";

// What the window says of each variant: when an image of it is chosen, and when the
// boot-loader file that converts it has the wrong length. The two wrong-length entries really
// differ in one letter (Falsche, Falscher).
struct VariantTexts {
    const char* selectionLine;
    const char* wrongBootLoaderEntry;
};
constexpr VariantTexts kVariantTexts[] = {
    {"    1xImage (1to2)", "-> Falsche Bootloader Datei!"},
    {"    2xImage (2to1)", "-> Falscher Bootloader Datei!"},
};
constexpr const VariantTexts& TextsFor(Variant variant) {
    return kVariantTexts[IndexOf(variant)];
}

// The window's temporary for the image part of a full image, a relative name in the start
// directory.
constexpr char kStrippedImageName[] = "tmp(ohneBL).img";

// The open-file dialog's configuration.
constexpr char kImageExtension[] = "*.img";
constexpr char kImageFilter[] = "Image Files (*.img)|*.img|All Files (*.*)|*.*||";

} // namespace Texts
