#pragma once

// The framework's own texts, in the German of the programs it hosts (Windows-1252 bytes).
namespace FrameworkTexts {

// File name, then one of kFileActions; the reason follows on its own paragraph.
constexpr char kFileErrorFormat[] = "Die Datei \"%s\" konnte nicht %s werden.\r\n\r\n";
// Indexed by CFileException::Action.
constexpr const char* kFileActions[] = {
    "ge\xF6"
    "ffnet",
    "gelesen",
    "geschrieben",
    "positioniert",
    "vermessen",
    "gel\xF6scht",
    "umbenannt",
    "angelegt",
};
constexpr char kUnexpectedLength[] =
    "Die Datei hat nicht die erwartete L\xE4nge; sie wurde ver\xE4ndert oder gek\xFCrzt.";
constexpr char kUnknownSystemError[] = "Systemfehler %u.";

constexpr char kOutOfMemory[] = "Nicht gen\xFCgend Arbeitsspeicher.";
constexpr char kNoHelp[] = "F\xFCr dieses Programm gibt es keine Hilfe.";

} // namespace FrameworkTexts
