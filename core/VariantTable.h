#pragma once

// Everything that depends on the variant flag: which boot-loader file converts an image of that
// variant into the other one, how the output is tagged, and what the info log says about it.
// Texts are Windows-1252 bytes.
struct VariantRow {
    const char* selectionLine;        // logged when an image of this variant is chosen
    const char* bootLoaderFile;       // relative name in the start directory
    const char* outputTag;            // inserted into the output name
    const char* wrongBootLoaderEntry; // logged when the boot-loader file has the wrong length
};

enum { kVariant1x = 0, kVariant2x = 1 };

// nVariant is 0 or 1.
const VariantRow& VariantRowFor(int nVariant);
