#include "ImageLayout.h"

#include <gtest/gtest.h>

#include <vector>

using namespace ImageLayout;

TEST(ImageLength, OnlyTheTwoExactLengthsAreAccepted) {
    EXPECT_EQ(ClassifyLength(0x7E0000), ImageKind::Bare);
    EXPECT_EQ(ClassifyLength(0x800000), ImageKind::Full);
    EXPECT_EQ(ClassifyLength(0x7E0001), ImageKind::Rejected);
    EXPECT_EQ(ClassifyLength(0x7DFFFF), ImageKind::Rejected);
    EXPECT_EQ(ClassifyLength(0x7FFFFF), ImageKind::Rejected);
    EXPECT_EQ(ClassifyLength(0x800001), ImageKind::Rejected);
    EXPECT_EQ(ClassifyLength(0), ImageKind::Rejected);
    // A length that only matches in its low 32 bits is still wrong.
    EXPECT_EQ(ClassifyLength(0x1007E0000ull), ImageKind::Rejected);
}

TEST(ImageLength, FullImagePartStartsOnePastTheLeadingArea) {
    EXPECT_EQ(ImagePartOffset(ImageKind::Bare), 0u);
    EXPECT_EQ(ImagePartOffset(ImageKind::Full), 131073u);
    EXPECT_EQ(ImagePartBytesInFile(ImageKind::Bare), 8257536u);
    EXPECT_EQ(ImagePartBytesInFile(ImageKind::Full), 8257535u);
}

namespace {
std::vector<unsigned char> HeaderWith(const char* letters, size_t at) {
    std::vector<unsigned char> header(20, 0);
    for (size_t i = 0; letters[i]; ++i)
        header[at + i] = static_cast<unsigned char>(letters[i]);
    return header;
}
} // namespace

TEST(VariantSignature, OnlyTuxAtOffsetEightIsA1xImage) {
    EXPECT_EQ(DetectVariant(HeaderWith("tux", 8).data()), Variant::k1x);
    EXPECT_EQ(DetectVariant(HeaderWith("tux", 9).data()), Variant::k2x);
    EXPECT_EQ(DetectVariant(HeaderWith("tux", 7).data()), Variant::k2x);
    EXPECT_EQ(DetectVariant(HeaderWith("TUX", 8).data()), Variant::k2x);
    EXPECT_EQ(DetectVariant(HeaderWith("tuy", 8).data()), Variant::k2x);
    EXPECT_EQ(DetectVariant(HeaderWith("", 8).data()), Variant::k2x);
}

// The tag goes before the last dot of the whole path, even one in a folder's name, or at its end;
// other bytes are kept as they are.
TEST(OutputName, TagGoesBeforeTheLastDotOfThePathOrAtItsEnd) {
    EXPECT_EQ(OutputName("C:\\img\\box.img", "(2xImage)"), "C:\\img\\box(2xImage).img");
    EXPECT_EQ(OutputName("box.tar.img", "(1xImage)"), "box.tar(1xImage).img");
    EXPECT_EQ(OutputName("D:\\rel1.2\\box", "(1xImage)"), "D:\\rel1(1xImage).2\\box");
    EXPECT_EQ(OutputName("C:\\img\\box", "(2xImage)"), "C:\\img\\box(2xImage)");
    EXPECT_EQ(OutputName("C:\\M\xFCll\\b\xE4r.img", "(2xImage)"),
              "C:\\M\xFCll\\b\xE4r(2xImage).img");
}
