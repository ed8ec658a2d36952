// The window and the command line convert the same input into the same bytes.
#include "E2eFiles.h"
#include "KeldarinSession.h"
#include "WindowsCli.h"

#include <gtest/gtest.h>

#include <cstdlib>

using TestImages::Bytes;

namespace {

DWORD RunCli(const std::string& arguments) {
    return WindowsCli::Run(arguments).exitCode;
}

using WindowsCli::Quoted;

} // namespace

// A full image: its part starts one byte past the leading area, where the front ends could part.
TEST(CliParity, Full2xImageGivesTheSameBytesInTheWindowAndOnTheCommandLine) {
    KeldarinSession session;
    const auto& start = session.StartDir().Path();
    ASSERT_TRUE(
        session.Choose(E2eFiles::Place(start, "box.img", TestImages::FullImage(false))).finished);
    ASSERT_TRUE(session.Clone().finished);

    TestImages::TempDir cliOutput;
    ASSERT_EQ(RunCli("convert -q -b" + Quoted(start) + " -o" + Quoted(cliOutput.Path()) +
                     Quoted(start / "box.img")),
              0u);
    EXPECT_EQ(TestImages::ReadFile(cliOutput / "box(1xImage).img"),
              TestImages::ReadFile(start / "box(1xImage).img"));
}

// Windows takes "Box" and "box" for one name: the second output is refused, not written over the
// first, even while the first is still on its way to the storage.
TEST(CliParity, OutputNamesThatDifferOnlyInCaseGiveOneOutputAndAFailure) {
    TestImages::TempDir dir;
    const Bytes first = TestImages::BareImage(true, 3),
                bootLoader = TestImages::BootLoader(Variant::k2x, 7);
    for (const char* folder : {"a", "b", "out"})
        std::filesystem::create_directory(dir / folder);
    TestImages::WriteFile(dir / "a" / "Box.img", first);
    TestImages::WriteFile(dir / "b" / "box.img", TestImages::BareImage(true, 4));
    TestImages::WriteFile(dir / "2x.bin", bootLoader);
    EXPECT_EQ(RunCli("convert -q -b" + Quoted(dir.Path()) + " -o" + Quoted(dir / "out") +
                     Quoted(dir / "a" / "Box.img") + Quoted(dir / "b" / "box.img")),
              1u);
    EXPECT_EQ(TestImages::ReadFile(dir / "out" / "Box(2xImage).img"),
              TestImages::ExpectedOutput(first, bootLoader));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "out"), {}), 1);
}

// Device names are devices in every folder: a listing named NUL, typed into cmd.exe, is written to
// NUL; CON, where the tool has no console, is refused before anything is converted.
TEST(CliParity, DevicesAsTheListingAreWrittenToOrRefusedBeforeAnyConversion) {
    TestImages::TempDir dir;
    TestImages::WriteFile(dir / "box.img", TestImages::BareImage(true));
    TestImages::WriteFile(dir / "2x.bin", TestImages::BootLoader(Variant::k2x, 7));
    const WindowsCli::Result nul =
        WindowsCli::Run("convert -q --checksum-file NUL box.img", {dir.Path(), true});
    EXPECT_EQ(nul.exitCode, 0u) << nul.err;
    EXPECT_TRUE(std::filesystem::remove(dir / "box(2xImage).img"));
    const WindowsCli::Result con =
        WindowsCli::Run("convert --checksum-file CON box.img", {dir.Path(), false, true});
    EXPECT_EQ(con.exitCode, 2u) << con.err;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);
}

// Attributes do not tell a read-only medium: the dry run asks the folder for a new file, as the
// run does, and fails in the same words.
TEST(CliParity, DryRunIntoAFolderThatTakesNoNewFileFailsAsTheRunDoes) {
    const char* mounts = std::getenv("KELDARIN_E2E_MOUNTS");
    if (!mounts)
        GTEST_SKIP() << "KELDARIN_E2E_MOUNTS is not set: mounting the folders needs root";
    const std::string image = Quoted(std::filesystem::path(mounts) / "ro" / "box.img");
    TestImages::TempDir bootLoaders;
    TestImages::WriteFile(bootLoaders / "2x.bin", TestImages::BootLoader(Variant::k2x, 7));
    const std::string options = " -q -b" + Quoted(bootLoaders.Path()) + image;
    const WindowsCli::Result dry = WindowsCli::Run("convert -n" + options);
    const WindowsCli::Result real = WindowsCli::Run("convert" + options);
    EXPECT_EQ(dry.exitCode, 1u);
    EXPECT_NE(dry.err.find("cannot create"), std::string::npos) << dry.err;
    EXPECT_EQ(dry.err, real.err);
}
