#include "VariantTable.h"

namespace {

// The two wrong-length entries really differ in one letter (Falsche, Falscher).
const VariantRow kRows[] = {
    {"    1xImage (1to2)", "2x.bin", "(2xImage)", "-> Falsche Bootloader Datei!"},
    {"    2xImage (2to1)", "1x.bin", "(1xImage)", "-> Falscher Bootloader Datei!"},
};

} // namespace

const VariantRow& VariantRowFor(int nVariant) {
    return kRows[nVariant == kVariant2x ? kVariant2x : kVariant1x];
}
