#include "Conversion.h"
#include "BootLoaderFile.h"
#include "FileError.h"
#include "ImagePartReader.h"
#include "TestImages.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace TestImages;
using ImageLayout::ImageKind;

TEST(Conversion, PlanTakesTheOtherBootLoaderThenTheImagePartAfterItsBootLoaderArea) {
    const Conversion bare1x(ImageKind::Bare, Variant::k1x), full2x(ImageKind::Full, Variant::k2x);
    EXPECT_EQ(bare1x.GetPlan().target, Variant::k2x);
    EXPECT_EQ(bare1x.GetPlan().bootLoaderBytes, 0x20000u);
    EXPECT_EQ(bare1x.GetPlan().imageFrom, 0x20000u);
    EXPECT_EQ(bare1x.GetPlan().imageBytes, 0x7C0000u);
    EXPECT_EQ(bare1x.OutputName("C:\\img\\box.img"), "C:\\img\\box(2xImage).img");
    // A full image's part starts at 0x20001 and its file lacks the part's last byte.
    EXPECT_EQ(full2x.GetPlan().target, Variant::k1x);
    EXPECT_EQ(full2x.GetPlan().imageFrom, 0x40001u);
    EXPECT_EQ(full2x.GetPlan().imageBytes, 0x7BFFFFu);
    EXPECT_EQ(full2x.GetPlan().length, 0x7E0000u);
    EXPECT_EQ(full2x.OutputName("D:\\rel1.2\\box"), "D:\\rel1(1xImage).2\\box");
}

// The window converts in memory, the command line also straight from the input: one output.
TEST(Conversion, InMemoryAndFromTheInputGiveTheSameBytesForEveryKindAndVariant) {
    TempDir dir;
    const Bytes bootLoader = BootLoader(Variant::k2x, 5);
    for (const Bytes& input :
         {BareImage(true), BareImage(false), FullImage(true), FullImage(false)}) {
        WriteFile(dir / "in.img", input);
        Bytes part;
        std::optional<ImageFacts> facts;
        ImagePartReader::Load(dir / "in.img", part, facts);
        const Conversion conversion(facts->kind, facts->variant);
        Conversion::OverlayBootLoader(part, bootLoader);
        conversion.Begin(dir / "memory.img", part, {}).Finish();
        conversion.BeginFromInput(dir / "file.img", dir / "in.img", facts->version, bootLoader, {})
            .Finish();
        const Bytes expected = ExpectedOutput(input, bootLoader);
        EXPECT_EQ(ReadFile(dir / "memory.img"), expected);
        EXPECT_EQ(ReadFile(dir / "file.img"), expected);
    }
}

TEST(BootLoaderFile, IsReadWholeAtItsExactLengthAndEachFailureIsTyped) {
    TempDir dir;
    const Bytes usable = BootLoader(Variant::k2x, 3);
    WriteFile(dir / "2x.bin", usable);
    EXPECT_EQ(BootLoaderFile::PathIn(dir.Path().string(), Variant::k2x), (dir / "2x.bin").string());
    EXPECT_EQ(BootLoaderFile::PathIn("", Variant::k1x), "1x.bin");
    EXPECT_EQ(BootLoaderFile::Load(dir / "2x.bin", Variant::k2x), usable);

    const auto causeOf = [](const std::string& path, Variant variant = Variant::k2x) {
        try {
            BootLoaderFile::Load(path, variant);
        } catch (const FileError& error) {
            return error.GetCause();
        }
        ADD_FAILURE() << path << " was taken";
        return FileError::Cause::System;
    };
    for (const std::size_t length : {0x1FFFF, 0x20001}) {
        WriteFile(dir / "odd.bin", BootLoader(Variant::k2x, 3, length));
        EXPECT_EQ(causeOf(dir / "odd.bin"), FileError::Cause::WrongLength);
    }
    ASSERT_EQ(mkfifo((dir / "fifo.bin").c_str(), 0600), 0);
    EXPECT_EQ(causeOf(dir / "fifo.bin"), FileError::Cause::NotARegularFile);
    EXPECT_EQ(causeOf(dir / "missing.bin"), FileError::Cause::System);
    // The output's signature comes from the file: swapped or identical files would mislabel it.
    EXPECT_EQ(causeOf(dir / "2x.bin", Variant::k1x), FileError::Cause::WrongVariant);
    WriteFile(dir / "1x.bin", BootLoader(Variant::k1x, 3));
    EXPECT_EQ(BootLoaderFile::Load(dir / "1x.bin", Variant::k1x)[8], 't');
    EXPECT_EQ(causeOf(dir / "1x.bin", Variant::k2x), FileError::Cause::WrongVariant);
}
