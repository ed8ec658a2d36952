#include "CliTest.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>

namespace fs = std::filesystem;
using TestImages::BareImage;
using TestImages::ExpectedOutput;
using TestImages::FullImage;
using TestImages::ReadFile;

using MixedFleet = CliTest;

namespace {

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

TEST_F(MixedFleet, ToTwoXConvertsOnlyTheOneXImagesAndSha256sumChecksTheListing) {
    const Bytes bare1x = BareImage(true, 3), full1x = FullImage(true, 4);
    Put("a.img", bare1x);
    Put("b.img", full1x);
    Put("c.img", BareImage(false, 5));
    Put("d.img", FullImage(false, 6));
    const auto before = Snapshot(Dir());

    const CliOutcome run = Cli(
        {"convert", "--to", "2x", "--checksum-file", "SUMS", "a.img", "b.img", "c.img", "d.img"});

    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(ReadFile(Dir() / "a(2xImage).img") == ExpectedOutput(bare1x, m_bootLoader2x));
    EXPECT_TRUE(ReadFile(Dir() / "b(2xImage).img") == ExpectedOutput(full1x, m_bootLoader2x));
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], "c.img: 8257536 bytes, bare image, already 2x");
    EXPECT_EQ(lines[3], "d.img: 8388608 bytes, full image, already 2x");
    auto after = Snapshot(Dir());
    EXPECT_EQ(after.size(), before.size() + 3) << "two outputs and the listing, nothing else";
    for (const auto& [name, bytes] : before)
        EXPECT_TRUE(after[name] == bytes) << name;

    // The listing is checked from elsewhere: its names are the outputs' names as reported.
    const std::string check = "cd / && sha256sum --quiet -c '" + (Dir() / "SUMS").string() + "'";
    EXPECT_EQ(std::system(check.c_str()), 0) << check;
    Bytes changed = ReadFile(Dir() / "b(2xImage).img");
    changed[0x400000] ^= 0x01;
    TestImages::WriteFile(Dir() / "b(2xImage).img", changed);
    EXPECT_NE(std::system((check + " 2>/dev/null >/dev/null").c_str()), 0);

    // A listing never replaces a file of the run, nor anything but a listing: refused at once.
    EXPECT_EQ(Cli({"convert", "--to", "2x", "--checksum-file", "c.img", "c.img"}).exitCode, 2);
    EXPECT_EQ(Cli({"convert", "-n", "--checksum-file", "c.img", "a.img"}).exitCode, 2);
    EXPECT_TRUE(ReadFile(Dir() / "c.img") == before.at("c.img"));

    const CliOutcome json = Cli({"convert", "--to", "2x", "--json", "-n", "c.img"});
    EXPECT_EQ(nlohmann::json::parse(json.out)["skipped"], true);
}

TEST_F(MixedFleet, InfoNamesTheBootLoaderOfAnOriginalAndAConvertedImageAndUnknownAfterOneByte) {
    // Swapped files match nothing: each is named once on stderr, however many images are read.
    Put("1x.bin", m_bootLoader2x);
    Put("2x.bin", m_bootLoader1x);
    Put("original.img", ExpectedOutput(BareImage(true), m_bootLoader1x));
    const CliOutcome swapped = Cli({"info", "original.img", "original.img"});
    EXPECT_EQ(swapped.exitCode, 0);
    EXPECT_EQ(swapped.err, "keldarin-cli: ./1x.bin: warning: compared with no image: boot-loader "
                           "file ./1x.bin lacks the 1x signature: it is not a 1x boot loader\n"
                           "keldarin-cli: ./2x.bin: warning: compared with no image: boot-loader "
                           "file ./2x.bin carries the 1x signature: it is not a 2x boot loader\n");
    EXPECT_TRUE(EndsWith(Lines(swapped.out).at(1), ", boot loader: unknown")) << swapped.out;

    Put("1x.bin", m_bootLoader1x);
    Put("2x.bin", m_bootLoader2x);
    ASSERT_EQ(Cli({"convert", "original.img"}).exitCode, 0);
    Bytes converted = ReadFile(Dir() / "original(2xImage).img");
    Put("changed.img", (converted[0x1FFFF] ^= 0x80, converted));

    const CliOutcome run =
        Cli({"info", "--checksum", "original.img", "original(2xImage).img", "changed.img"});

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 3u);
    const auto sha256 = [this](const std::string& name) {
        const std::string command = "sha256sum '" + (Dir() / name).string() + "' | cut -c1-64";
        FILE* pipe = popen(command.c_str(), "r");
        char hex[65] = {};
        EXPECT_EQ(std::fread(hex, 1, 64, pipe), 64u);
        pclose(pipe);
        return std::string(hex);
    };
    EXPECT_TRUE(EndsWith(lines[0], ", boot loader: 1x.bin, sha256 " + sha256("original.img")))
        << lines[0];
    EXPECT_TRUE(
        EndsWith(lines[1], ", boot loader: 2x.bin, sha256 " + sha256("original(2xImage).img")))
        << lines[1];
    EXPECT_TRUE(EndsWith(lines[2], ", boot loader: unknown, sha256 " + sha256("changed.img")))
        << lines[2];

    // A boot-loader file that is there but no file matches nothing either, once said on stderr.
    fs::remove(Dir() / "2x.bin");
    fs::create_directory(Dir() / "2x.bin");
    const CliOutcome unusable = Cli({"info", "original.img", "changed.img"});
    EXPECT_EQ(unusable.exitCode, 0);
    EXPECT_EQ(Lines(unusable.err).size(), 1u) << unusable.err;
    EXPECT_NE(unusable.err.find("2x.bin: warning: compared with no image: "), std::string::npos);
}

// check words a listing as sha256sum -c does, from anywhere, names taken from the listing's
// folder; an image is judged by its boot-loader area, and a file of neither kind is a misuse.
TEST_F(MixedFleet, CheckSaysOfAListingWhatSha256sumSaysAndJudgesImagesByTheirArea) {
    Put("a.img", BareImage(true, 3));
    Put("b.img", FullImage(false, 4));
    ASSERT_EQ(Cli({"convert", "--checksum-file", "SUMS", "a.img", "b.img"}).exitCode, 0);
    const Bytes sums = ReadFile(Dir() / "SUMS");
    std::string relative(sums.begin(), sums.end());
    for (std::size_t at; (at = relative.find(Dir().string() + "/")) != std::string::npos;)
        relative.erase(at, Dir().string().size() + 1);
    Put("REL", Bytes(relative.begin(), relative.end()));
    EXPECT_EQ(CliIn("/", {"check", (Dir() / "REL").string()}).out,
              "a(2xImage).img: OK\nb(1xImage).img: OK\n");
    relative += "not a listing line\n" + relative.substr(0, 66) + "gone.img\n";
    Put("REL", Bytes(relative.begin(), relative.end()));
    Bytes changed = ReadFile(Dir() / "b(1xImage).img");
    Put("b(1xImage).img", (changed[0x300000] ^= 1, changed));

    const CliOutcome run = CliIn("/", {"check", (Dir() / "REL").string()});
    FILE* pipe =
        popen(("cd '" + Dir().string() + "' && sha256sum -c REL 2>/dev/null").c_str(), "r");
    std::string gnu(4096, '\0');
    gnu.resize(std::fread(gnu.data(), 1, gnu.size(), pipe));
    EXPECT_EQ(pclose(pipe) >> 8, 1) << "sha256sum's status";
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out,
              "a(2xImage).img: OK\nb(1xImage).img: FAILED\ngone.img: FAILED open or read\n");
    EXPECT_EQ(run.out, gnu);
    EXPECT_EQ(Lines(run.err), (std::vector<std::string>{
                                  "keldarin-cli: " + (Dir() / "REL").string() +
                                      ": 3: improperly formatted SHA256 checksum line",
                                  "keldarin-cli: b(1xImage).img: computed checksum did NOT match",
                                  "keldarin-cli: gone.img: cannot open " +
                                      (Dir() / "gone.img").string() + ": No such file or directory",
                                  "keldarin-cli: WARNING: 1 line is improperly formatted",
                                  "keldarin-cli: WARNING: 1 listed file could not be read",
                                  "keldarin-cli: WARNING: 1 computed checksum did NOT match"}));

    const CliOutcome images = Cli({"check", "-q", "a(2xImage).img", "a.img"});
    EXPECT_EQ(images.exitCode, 1);
    EXPECT_EQ(images.out, "a.img: FAILED (8257536 bytes, bare image, 1x, boot loader: unknown)\n");
    EXPECT_EQ(Cli({"check", "1x.bin"}).exitCode, 2);
}
