#include "CliTest.h"

#include <nlohmann/json.hpp>

namespace fs = std::filesystem;
using TestImages::BareImage;
using TestImages::FullImage;

using Info = CliTest;
using Usage = CliTest;

TEST_F(Info, ShowsLengthKindVariantAndOutputNameAndWritesNothing) {
    Put("box.img", BareImage(true));
    Put("full.img", FullImage(false));
    Put("odd.img", Bytes(0x800001, 0));
    const auto before = Snapshot(Dir());

    const CliOutcome run = Cli({"info", "box.img", "full.img", "odd.img", "gone.img"});

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(Lines(run.out),
              (std::vector<std::string>{
                  "box.img: 8257536 bytes, bare image, 1x -> 2x: " +
                      (Dir() / "box(2xImage).img").string() + ", boot loader: unknown",
                  "full.img: 8388608 bytes, full image, 2x -> 1x: " +
                      (Dir() / "full(1xImage).img").string() + ", boot loader: unknown",
                  "odd.img: rejected: wrong length: 8388609 bytes; accepted are 8257536 (bare "
                  "image) and 8388608 (full image)"}));
    // Every failure is on stderr as well, where -q still shows it.
    const std::vector<std::string> failures = {
        "keldarin-cli: odd.img: wrong length: 8388609 bytes; accepted are 8257536 (bare image) "
        "and 8388608 (full image)",
        "keldarin-cli: gone.img: cannot open gone.img: No such file or directory"};
    EXPECT_EQ(Lines(run.err), failures);
    EXPECT_EQ(Lines(Cli({"info", "-q", "box.img", "odd.img", "gone.img"}).err), failures);
    EXPECT_TRUE(Snapshot(Dir()) == before);
    EXPECT_EQ(Cli({"info", "box.img", "full.img"}).exitCode, 0);
}

TEST_F(Usage, MistakesInTheCommandLineExitWithTwoAndRunNothing) {
    Put("box.img", BareImage(true));
    const auto before = Snapshot(Dir());
    const std::vector<std::vector<std::string>> mistakes = {
        {},
        {"box.img"},
        {"convert"},
        {"convert", "--frobnicate", "box.img"},
        {"info", "-o", std::string(300, 'x'), "box.img"}, // not missing: the system says why
        {"convert", "-b", "missing-folder", "box.img"},
        {"info", "--verify", "box.img"},
        {"convert", "--to", "3x", "box.img"},
        {"bogus", "box.img"},
        {"convert", "--checksum-file", "", "box.img"},
        {"convert", "--checksum-file", "nodir/SUMS", "box.img"},
        {"convert", "-n", "--checksum-file", "nodir/SUMS", "box.img"},
    };
    for (const auto& args : mistakes) {
        const CliOutcome run = Cli(args);
        EXPECT_EQ(run.exitCode, 2) << ::testing::PrintToString(args);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("keldarin-cli: ", 0), 0u) << run.err;
    }
    EXPECT_NE(Cli({"bogus", "box.img"}).err.find("unknown command \"bogus\""), std::string::npos);
    EXPECT_NE(Cli(mistakes[4]).err.find(": File name too long: xx"), std::string::npos);
    EXPECT_NE(Cli({"convert", "-b", ".", "-x.img"})
                  .err.find("IMAGE is required; -x.img is taken for an option: "
                            "to name an image that starts with \"-\", put \"--\" before it"),
              std::string::npos);
    EXPECT_TRUE(Snapshot(Dir()) == before);
}

TEST_F(Usage, HelpDocumentsTheExitCodesAndVersionComesFromTheProgramVersion) {
    const CliOutcome help = Cli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* part : {"EXIT STATUS", "  0  every input was converted",
                             "  1  at least one input failed", "  2  usage error", "EXAMPLES"})
        EXPECT_NE(help.out.find(part), std::string::npos) << part;

    const CliOutcome convertHelp = Cli({"convert", "--help"});
    EXPECT_EQ(convertHelp.exitCode, 0);
    for (const char* option : {"--bootloaders", "--output-dir", "--dry-run", "--quiet", "--json",
                               "--verify", "--to", "--checksum", "--checksum-file"})
        EXPECT_NE(convertHelp.out.find(option), std::string::npos) << option;

    const CliOutcome version = Cli({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "keldarin-cli 1.1 (file version 1, 0, 0, 1)\n");
}
