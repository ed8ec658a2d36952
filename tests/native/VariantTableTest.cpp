#include "VariantTable.h"

#include <gtest/gtest.h>

#include <string>

// Expected texts are spelled out here on purpose, as an independent check of the table.
TEST(VariantTable, A1xImageIsConvertedWith2xBin) {
    const VariantRow& row = VariantRowFor(0);
    EXPECT_STREQ(row.selectionLine, "    1xImage (1to2)");
    EXPECT_STREQ(row.bootLoaderFile, "2x.bin");
    EXPECT_STREQ(row.outputTag, "(2xImage)");
    EXPECT_STREQ(row.wrongBootLoaderEntry, "-> Falsche Bootloader Datei!");
}

TEST(VariantTable, A2xImageIsConvertedWith1xBin) {
    const VariantRow& row = VariantRowFor(1);
    EXPECT_STREQ(row.selectionLine, "    2xImage (2to1)");
    EXPECT_STREQ(row.bootLoaderFile, "1x.bin");
    EXPECT_STREQ(row.outputTag, "(1xImage)");
    EXPECT_STREQ(row.wrongBootLoaderEntry, "-> Falscher Bootloader Datei!");
}
