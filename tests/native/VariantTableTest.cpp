#include "VariantTable.h"
#include "ConverterTexts.h"

#include <gtest/gtest.h>

// Expected texts are spelled out here on purpose, as an independent check of the tables.
TEST(VariantTable, A1xImageBecomesA2xImageWith2xBinAndTheWindowSaysSo) {
    const VariantInfo& target = InfoOf(TargetOf(Variant::k1x));
    EXPECT_STREQ(target.name, "2x");
    EXPECT_STREQ(target.bootLoaderFile, "2x.bin");
    EXPECT_STREQ(target.outputTag, "(2xImage)");
    EXPECT_STREQ(Texts::TextsFor(Variant::k1x).selectionLine, "    1xImage (1to2)");
    EXPECT_STREQ(Texts::TextsFor(Variant::k1x).wrongBootLoaderEntry,
                 "-> Falsche Bootloader Datei!");
}

TEST(VariantTable, A2xImageBecomesA1xImageWith1xBinAndTheWindowSaysSo) {
    const VariantInfo& target = InfoOf(TargetOf(Variant::k2x));
    EXPECT_STREQ(target.name, "1x");
    EXPECT_STREQ(target.bootLoaderFile, "1x.bin");
    EXPECT_STREQ(target.outputTag, "(1xImage)");
    EXPECT_STREQ(Texts::TextsFor(Variant::k2x).selectionLine, "    2xImage (2to1)");
    EXPECT_STREQ(Texts::TextsFor(Variant::k2x).wrongBootLoaderEntry,
                 "-> Falscher Bootloader Datei!");
}
