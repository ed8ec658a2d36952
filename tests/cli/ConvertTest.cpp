#include "CliTest.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace fs = std::filesystem;
using TestImages::BareImage;
using TestImages::ExpectedOutput;
using TestImages::FullImage;
using TestImages::ReadFile;

using Convert = CliTest;

TEST_F(Convert, BareAndFullImagesGetTheOtherBootLoaderBesideTheInput) {
    const Bytes bare1x = BareImage(true);
    const Bytes full2x = FullImage(false);
    Put("box.img", bare1x);
    Put("full.img", full2x);

    const CliOutcome run = Cli({"convert", "box.img", "full.img"});

    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    // The library's tests prove the bytes of every kind and variant; here one output, through the
    // whole tool.
    EXPECT_TRUE(ReadFile(Dir() / "full(1xImage).img") == ExpectedOutput(full2x, m_bootLoader1x));
    EXPECT_EQ(Lines(run.out),
              (std::vector<std::string>{"box.img: 8257536 bytes, bare image, 1x -> 2x: " +
                                            (Dir() / "box(2xImage).img").string(),
                                        "full.img: 8388608 bytes, full image, 2x -> 1x: " +
                                            (Dir() / "full(1xImage).img").string()}));
    EXPECT_TRUE(ReadFile(Dir() / "box.img") == bare1x);
    EXPECT_TRUE(ReadFile(Dir() / "full.img") == full2x);
    EXPECT_EQ(Snapshot(Dir()).size(), 6u) << "no temporary left behind";
}

TEST_F(Convert, OptionsChooseTheBootLoaderFolderAndTheOutputFolder) {
    const Bytes bare2x = BareImage(false, 7);
    const Bytes otherBootLoader = TestImages::BootLoader(Variant::k1x, 9);
    Put("in/img.v2.img", bare2x);
    Put("loaders/1x.bin", otherBootLoader);
    fs::create_directory(Dir() / "out");
    fs::create_directory(Dir() / "elsewhere");

    const CliOutcome run = CliIn(
        Dir() / "elsewhere", {"convert", "-b", "../loaders", "-o", "../out", "../in/img.v2.img"});

    EXPECT_EQ(run.exitCode, 0) << run.err;
    const Bytes output = ReadFile(Dir() / "out" / "img.v2(1xImage).img");
    EXPECT_TRUE(output.size() > otherBootLoader.size() &&
                std::equal(otherBootLoader.begin(), otherBootLoader.end(), output.begin()))
        << "not the boot loader of -b";
    EXPECT_TRUE(fs::is_empty(Dir() / "elsewhere"));
}

TEST_F(Convert, TagGoesBeforeTheLastDotOfTheFullPathAsInTheWindow) {
    // The window inserts the tag into the full path, even into a folder's name; a relative
    // spelling like "./box" must not let the dot of "." catch it.
    const Bytes bare2x = BareImage(false);
    Put("rel1.2/box", bare2x);
    fs::create_directory(Dir() / "rel1(1xImage).2");
    fs::copy_file(Dir() / "1x.bin", Dir() / "rel1.2" / "1x.bin");

    const CliOutcome run = CliIn(Dir() / "rel1.2", {"convert", "./box"});

    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(fs::is_regular_file(Dir() / "rel1(1xImage).2" / "box"));
}

TEST_F(Convert, ConvertingAgainOverwritesTheEarlierOutput) {
    Put("box.img", BareImage(true));
    Put("box(2xImage).img", Bytes(100, 0xAB));
    ASSERT_EQ(Cli({"convert", "box.img"}).exitCode, 0);
    EXPECT_EQ(fs::file_size(Dir() / "box(2xImage).img"), 0x7E0000u);
    EXPECT_EQ(Snapshot(Dir()).size(), 4u);
}

TEST_F(Convert, DryRunChecksAndReportsButWritesNothing) {
    Put("box.img", BareImage(true));
    Put("full(1xImage).img", Bytes(10, 1));
    Put("full.img", FullImage(false));
    Put("short.img", Bytes(0x7DFFFF, 0));
    const auto before = Snapshot(Dir());

    const CliOutcome good = Cli({"convert", "-n", "box.img", "full.img"});
    const CliOutcome bad = Cli({"convert", "--dry-run", "box.img", "short.img"});

    EXPECT_EQ(good.exitCode, 0) << good.err;
    EXPECT_EQ(Lines(good.out).at(0), "box.img: 8257536 bytes, bare image, 1x -> 2x: " +
                                         (Dir() / "box(2xImage).img").string() +
                                         " (dry run, nothing written)");
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find("short.img: wrong length"), std::string::npos) << bad.err;
    EXPECT_TRUE(Snapshot(Dir()) == before);
}

TEST_F(Convert, JsonGivesOneParsableObjectPerInput) {
    Put("box.img", BareImage(true));
    Put("b\xE4r.img", FullImage(false)); // a Windows-1252 name, not UTF-8
    Put("tiny.img", Bytes(5, 0));

    const CliOutcome run =
        Cli({"convert", "--json", "box.img", "b\xE4r.img", "tiny.img", "gone.img"});

    EXPECT_EQ(run.exitCode, 1);
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 4u) << run.out;
    std::vector<nlohmann::json> objects;
    for (const std::string& line : lines)
        ASSERT_NO_THROW(objects.push_back(nlohmann::json::parse(line))) << line;

    EXPECT_EQ(objects[0]["input"], "box.img");
    EXPECT_EQ(objects[0]["ok"], true);
    EXPECT_EQ(objects[0]["kind"], "bare");
    EXPECT_EQ(objects[0]["length"], 0x7E0000);
    EXPECT_EQ(objects[0]["variant"], "1x");
    EXPECT_EQ(objects[0]["target_variant"], "2x");
    EXPECT_EQ(objects[0]["output"], (Dir() / "box(2xImage).img").string());
    EXPECT_EQ(objects[0]["written"], true);
    EXPECT_TRUE(objects[0]["error"].is_null());

    EXPECT_EQ(objects[1]["ok"], true);
    EXPECT_EQ(objects[1]["kind"], "full");
    EXPECT_EQ(objects[1]["variant"], "2x");
    EXPECT_TRUE(fs::exists(Dir() / "b\xE4r(1xImage).img"));

    EXPECT_EQ(objects[2]["ok"], false);
    EXPECT_EQ(objects[2]["kind"], "rejected");
    EXPECT_EQ(objects[2]["length"], 5);
    EXPECT_EQ(objects[2]["written"], false);
    EXPECT_NE(objects[2]["error"].get<std::string>().find("8257536"), std::string::npos);

    EXPECT_EQ(objects[3]["ok"], false);
    EXPECT_TRUE(objects[3]["kind"].is_null());
    // Failures are reported on stderr too, where a person sees them.
    EXPECT_EQ(Lines(run.err).size(), 2u) << run.err;
}

TEST_F(Convert, VerifyCatchesAnOutputThatStorageAltered) {
    const Bytes bare1x = BareImage(true);
    Put("box.img", bare1x);
    Put("box(2xImage).img", Bytes(100, 0xAB));
    const std::vector<std::pair<std::string, std::string>> faulty = {
        {"LD_PRELOAD", FaultyStoragePreload()}, {"KELDARIN_FAULTY_WRITES", "1"}};

    const CliOutcome verified = CliIn(Dir(), {"convert", "--verify", "box.img"}, faulty);

    EXPECT_EQ(verified.exitCode, 1);
    EXPECT_NE(
        verified.err.find("box.img: verification failed: " + (Dir() / "box(2xImage).img").string() +
                          " differs from the converted image at offset 0x1234"),
        std::string::npos)
        << verified.err;
    EXPECT_TRUE(ReadFile(Dir() / "box(2xImage).img") == Bytes(100, 0xAB)) << "earlier file kept";
    EXPECT_EQ(Snapshot(Dir()).size(), 4u) << "no temporary left behind";

    // The same storage without --verify: the damage is real, and only --verify sees it.
    const CliOutcome unverified = CliIn(Dir(), {"convert", "box.img"}, faulty);
    EXPECT_EQ(unverified.exitCode, 0);
    const Bytes damaged = ReadFile(Dir() / "box(2xImage).img");
    const Bytes expected = ExpectedOutput(bare1x, m_bootLoader2x);
    ASSERT_EQ(damaged.size(), expected.size());
    EXPECT_NE(damaged[0x1234], expected[0x1234]);

    const CliOutcome sound = Cli({"convert", "--verify", "box.img"});
    EXPECT_EQ(sound.exitCode, 0) << sound.err;
    EXPECT_NE(sound.out.find("(verified)"), std::string::npos);
    EXPECT_TRUE(ReadFile(Dir() / "box(2xImage).img") == expected);
}

TEST_F(Convert, QuietReportsFailuresOnly) {
    Put("box.img", BareImage(true));
    const CliOutcome run = Cli({"convert", "-q", "box.img", "gone.img"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(Lines(run.err).size(), 1u) << run.err;
    EXPECT_TRUE(fs::exists(Dir() / "box(2xImage).img"));
}

TEST_F(Convert, ProgressAppearsOnlyOnATerminal) {
    Put("box.img", BareImage(true));
    const CliOutcome piped = Cli({"convert", "box.img"});
    EXPECT_EQ(piped.err.find("[1/1]"), std::string::npos);

    // script(1) gives the program a terminal for stdout and stderr alike.
    const std::string command = "cd '" + Dir().string() + "' && script -qec '" +
                                std::string(KELDARIN_CLI_PATH) +
                                " convert box.img' /dev/null > terminal.txt";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const Bytes seen = ReadFile(Dir() / "terminal.txt");
    EXPECT_NE(std::string(seen.begin(), seen.end()).find("[1/1] box.img"), std::string::npos);
}
