#include "Conversion.h"
#include "BootLoaderFile.h"
#include "FileError.h"
#include "ImageInfo.h"
#include "ImagePartReader.h"
#include "Sha256.h"
#include "TestImages.h"

#include <gtest/gtest.h>

#include <fstream>

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
    // In an output folder only the input's file name is tagged, whatever dots its folder has.
    EXPECT_EQ(bare1x.OutputName("in/v1.d/box", "out"), "out/box(2xImage)");
}

// The written length is the plan's: a shorter part would make a short output, a shorter boot
// loader be read past its end.
TEST(Conversion, RefusesBytesOfAnotherLengthThanThePlansAndWritesNothing) {
    TempDir dir;
    WriteFile(dir / "in.img", BareImage(true));
    const Conversion conversion(ImageKind::Bare, Variant::k1x);
    EXPECT_THROW(conversion.Begin(dir / "out.img", Bytes(0x7DFFFF), {}), std::logic_error);
    EXPECT_THROW(
        conversion.BeginFromInput(dir / "out.img", dir / "in.img", {}, Bytes(0x1FFFF), {}, {}),
        std::logic_error);
    EXPECT_FALSE(std::filesystem::exists(dir / "out.img"));
}

// What info needs of an image, it reads alone: the boot-loader area, the whole image part only
// for the hash, which is of the bytes the file holds.
TEST(ImageInfo, ReadsTheBootLoaderAreaAloneUnlessAHashIsAsked) {
    TempDir dir;
    const Bytes bootLoader = BootLoader(Variant::k1x, 4), input = FullImage(false);
    WriteFile(dir / "in.img", ExpectedOutput(input, bootLoader));
    WriteFile(dir / "full.img", input);
    const auto bytesRead = [] { // rchar: what the process has read
        std::ifstream io("/proc/self/io");
        std::string key;
        std::uint64_t value = 0;
        io >> key >> value;
        return value;
    };
    Bytes buffer;
    std::optional<ImageFacts> facts;
    const std::uint64_t before = bytesRead();
    const ImageInfo info(dir / "in.img", false, buffer, facts);
    EXPECT_LT(bytesRead() - before, 0x21000u);
    EXPECT_EQ(facts->variant, Variant::k1x);
    EXPECT_EQ(info.GetConversion().GetPlan().target, Variant::k2x);
    EXPECT_EQ(info.ImagePartHash(), "");
    const auto usable = [&](Variant variant) {
        return variant == Variant::k1x ? &bootLoader : nullptr;
    };
    EXPECT_EQ(BootLoaderFile::Matching(info.BootLoaderArea(), Variant::k1x, usable), Variant::k1x);

    const ImageInfo hashed(dir / "full.img", true, buffer, facts);
    EXPECT_FALSE(BootLoaderFile::Matching(hashed.BootLoaderArea(), Variant::k1x, usable));
    const Bytes inFile(input.begin() + 0x20001, input.end());
    EXPECT_EQ(hashed.ImagePartHash(), Sha256::HexOf(inFile.data(), inFile.size()));
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
        conversion
            .BeginFromInput(dir / "file.img", dir / "in.img", facts->version, bootLoader, {}, {})
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
    const auto load = [](const std::string& path, Variant variant) {
        File file = BootLoaderFile::Open(path);
        const Bytes bytes = BootLoaderFile::Read(file);
        BootLoaderFile::RequireVariant(path, bytes, variant);
        return bytes;
    };
    EXPECT_EQ(load(dir / "2x.bin", Variant::k2x), usable);

    const auto causeOf = [&](const std::string& path, Variant variant = Variant::k2x) {
        try {
            load(path, variant);
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
    EXPECT_EQ(load(dir / "1x.bin", Variant::k1x)[8], 't');
    EXPECT_EQ(causeOf(dir / "1x.bin", Variant::k2x), FileError::Cause::WrongVariant);
}
