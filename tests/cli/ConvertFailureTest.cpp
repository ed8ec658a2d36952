#include "CliTest.h"
#include "TmpfsMount.h"

#include <nlohmann/json.hpp>

namespace fs = std::filesystem;
using TestImages::BareImage;
using TestImages::ExpectedOutput;
using TestImages::FullImage;
using TestImages::ReadFile;

using ConvertFailure = CliTest;

namespace {
bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}
} // namespace

TEST_F(ConvertFailure, EachBadInputIsReportedWithItsReasonAndTheOthersStillRun) {
    Put("long.img", Bytes(0x7E0001, 0));
    Put("short.img", Bytes(0x7FFFFF, 0));
    Put("good.img", BareImage(true));
    fs::create_directory(Dir() / "folder.img");
    const auto before = Snapshot(Dir());

    const CliOutcome run =
        Cli({"convert", "long.img", "short.img", "gone.img", "folder.img", "good.img"});

    EXPECT_EQ(run.exitCode, 1);
    const std::vector<std::string> errors = Lines(run.err);
    ASSERT_EQ(errors.size(), 4u) << run.err;
    EXPECT_EQ(errors[0], "keldarin-cli: long.img: wrong length: 8257537 bytes; accepted are "
                         "8257536 (bare image) and 8388608 (full image)");
    EXPECT_EQ(errors[1], "keldarin-cli: short.img: wrong length: 8388607 bytes; accepted are "
                         "8257536 (bare image) and 8388608 (full image)");
    EXPECT_EQ(errors[2], "keldarin-cli: gone.img: cannot open gone.img: No such file or directory");
    EXPECT_EQ(errors[3], "keldarin-cli: folder.img: cannot read folder.img: Is a directory");
    EXPECT_TRUE(fs::exists(Dir() / "good(2xImage).img"));
    auto after = Snapshot(Dir());
    after.erase("good(2xImage).img");
    EXPECT_TRUE(after == before);
}

TEST_F(ConvertFailure, FullFileSystemLeavesNoPartialFileAndKeepsAnEarlierOutput) {
    TmpfsMount small(Dir() / "small", "9m");
    if (!small.Mounted())
        GTEST_SKIP() << small.Why();
    const Bytes first = BareImage(true, 1);
    Put("a.img", first);
    Put("b.img", FullImage(true, 2));
    const Bytes earlier(1000, 0xCD);
    Put("small/b(2xImage).img", earlier);
    const auto inputs = Snapshot(Dir() / "small");

    // Room for one output of 7.9 MiB, not for two.
    const CliOutcome run = Cli({"convert", "-o", "small", "a.img", "b.img"});

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(Lines(run.err),
              (std::vector<std::string>{"keldarin-cli: b.img: cannot write " +
                                        (Dir() / "small" / "b(2xImage).img").string() +
                                        ": No space left on device"}));
    EXPECT_TRUE(ReadFile(Dir() / "small" / "a(2xImage).img") ==
                ExpectedOutput(first, m_bootLoader2x));
    EXPECT_TRUE(ReadFile(Dir() / "small" / "b(2xImage).img") == earlier);
    EXPECT_EQ(Snapshot(Dir() / "small").size(), 2u) << "no temporary left behind";
    EXPECT_TRUE(ReadFile(Dir() / "a.img") == first);
    EXPECT_TRUE(ReadFile(Dir() / "b.img") == FullImage(true, 2));
}

TEST_F(ConvertFailure, ReadOnlyFileSystemLeavesEverythingAsItWas) {
    TmpfsMount mount(Dir() / "ro", "24m");
    if (!mount.Mounted())
        GTEST_SKIP() << mount.Why();
    Put("ro/box.img", BareImage(true));
    Put("ro/full.img", FullImage(false));
    Put("ro/full(1xImage).img", Bytes(10, 7));
    const auto before = Snapshot(Dir() / "ro");
    mount.RemountReadOnly();

    const CliOutcome run = CliIn(Dir(), {"convert", "ro/box.img", "ro/full.img"});

    EXPECT_EQ(run.exitCode, 1);
    const std::vector<std::string> errors = Lines(run.err);
    ASSERT_EQ(errors.size(), 2u) << run.err;
    EXPECT_TRUE(Contains(errors[0], "ro/box.img: cannot create " +
                                        (Dir() / "ro" / "box(2xImage).img").string() +
                                        ": Read-only file system"))
        << errors[0];
    EXPECT_TRUE(Contains(errors[1], "Read-only file system")) << errors[1];
    EXPECT_TRUE(Snapshot(Dir() / "ro") == before);
}

// A close may report a failed write-back: it comes before the output takes the name, which keeps
// the earlier output. A folder that could not be flushed may lose the name the output already
// has: not a success either.
TEST_F(ConvertFailure, AFailingCloseOrFolderFlushFailsTheOutput) {
    struct Fault {
        const char* variable;
        std::string error;
        bool written;
    };
    const fs::path output = Dir() / "a(2xImage).img";
    const std::vector<Fault> faults = {
        {"KELDARIN_FAULTY_CLOSE", "cannot write " + output.string() + ": Input/output error",
         false},
        {"KELDARIN_FAULTY_FOLDER_FLUSH",
         "cannot replace " + output.string() +
             ": its folder could not be flushed to the storage, so its name may not survive a "
             "power loss: Input/output error",
         true},
    };
    const Bytes input = BareImage(true);
    const Bytes earlier = TestImages::Pattern(100, 1);
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.variable);
        Put("a.img", input);
        Put("a(2xImage).img", earlier);

        const CliOutcome run =
            CliIn(Dir(), {"convert", "--json", "a.img"},
                  {{"LD_PRELOAD", FaultyStoragePreload()}, {fault.variable, "1"}});

        EXPECT_EQ(run.exitCode, 1);
        const nlohmann::json report = nlohmann::json::parse(run.out);
        EXPECT_EQ(report["error"], fault.error);
        EXPECT_EQ(report["written"], fault.written);
        // A hash describes the file under the output's name, so only one that has it.
        EXPECT_EQ(report["sha256"].is_null(), !fault.written);
        EXPECT_TRUE(ReadFile(output) ==
                    (fault.written ? ExpectedOutput(input, m_bootLoader2x) : earlier));
        EXPECT_EQ(Snapshot(Dir()).size(), 4u) << "no temporary left behind";
    }
}
