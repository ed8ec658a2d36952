// The user guide's Command Prompt examples, typed into cmd.exe in the guide's own folders and in
// its order, as a reader following it would. An example is a line "  C:\folder>command"; the
// lines below it are what it prints ("..." standing for text left out), and an
// "echo %errorlevel%" after it shows its exit status (0 where none follows).
#include "TestImages.h"
#include "WindowDriver.h"
#include "WindowsCli.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>

namespace fs = std::filesystem;
using TestImages::Bytes;

namespace {

struct Example {
    std::string folder, command;
    std::vector<std::string> shown;
    DWORD status = 0;
};

std::vector<Example> ExamplesOf(const fs::path& guide) {
    static const std::regex prompt(R"(  ([A-Z]:\\[^>: ]*)>(\S.*))");
    std::ifstream in(guide);
    std::vector<Example> examples;
    bool inExample = false, statusNext = false;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::smatch match;
        const bool isPrompt = std::regex_match(line, match, prompt);
        if (statusNext) {
            examples.back().status = static_cast<DWORD>(std::stoul(line));
            statusNext = inExample = false;
        } else if (isPrompt && match[2] == "echo %errorlevel%") {
            statusNext = true;
        } else if (isPrompt) {
            examples.push_back({match[1], match[2], {}});
            inExample = true;
        } else if ((inExample = inExample && line.rfind("  ", 0) == 0)) {
            examples.back().shown.push_back(line.substr(2));
        }
    }
    return examples;
}

// "..." in a shown line stands for any text.
bool LineMatches(const std::string& shown, const std::string& line) {
    const std::size_t dots = shown.find("...");
    if (dots == std::string::npos)
        return shown == line;
    if (line.compare(0, dots, shown, 0, dots) != 0)
        return false;
    for (std::size_t rest = dots; rest <= line.size(); ++rest)
        if (LineMatches(shown.substr(dots + 3), line.substr(rest)))
            return true;
    return false;
}

// A shown line of "..." alone stands for any number of lines.
bool Matches(const std::vector<std::string>& shown, std::size_t s,
             const std::vector<std::string>& lines, std::size_t l) {
    if (s == shown.size())
        return l == lines.size();
    if (shown[s] == "...")
        return Matches(shown, s + 1, lines, l) ||
               (l < lines.size() && Matches(shown, s, lines, l + 1));
    return l < lines.size() && LineMatches(shown[s], lines[l]) &&
           Matches(shown, s + 1, lines, l + 1);
}

// The guide's folders, shaped as it describes them; gone again afterwards.
struct GuideFolders {
    const std::vector<fs::path> all = {"C:\\Keldarin", "C:\\img", "C:\\out",
                                       fs::u8path("C:\\Meine Bilder")};
    // Boot-loader files as real ones are: only 1x.bin carries "tux" at offset 8.
    Bytes to1x = TestImages::BareImage(true, 11), to2x = TestImages::BareImage(false, 12);

    GuideFolders() {
        Remove();
        to1x.resize(0x20000);
        to2x.resize(0x20000);
        for (const fs::path& folder : {all[0], all[1], all[3]})
            fs::create_directory(folder);
        fs::copy_file(WindowDriver::WindowsPath(KELDARIN_CLI_EXE),
                      "C:\\Keldarin\\keldarin-cli.exe");
        TestImages::WriteFile("C:\\Keldarin\\1x.bin", to1x);
        TestImages::WriteFile("C:\\Keldarin\\2x.bin", to2x);
        // Images made with these boot loaders, as a device's own are.
        Place("C:\\img\\box.img", TestImages::BareImage(true, 1), 0, to1x);
        Place("C:\\img\\full.img", TestImages::FullImage(false, 2), 0x20001, to2x);
        Place(fs::u8path("C:\\Meine Bilder\\Gerät.img"), TestImages::BareImage(true, 3), 0, to1x);
    }
    ~GuideFolders() { Remove(); }
    void Remove() const {
        for (const fs::path& folder : all)
            fs::remove_all(folder);
    }
    static void Place(const fs::path& path, Bytes image, std::size_t part, const Bytes& loader) {
        std::copy(loader.begin(), loader.end(), image.begin() + static_cast<std::ptrdiff_t>(part));
        TestImages::WriteFile(path, image);
    }
    // Each output a line reports holds its input converted with the target's boot loader.
    void ExpectOutputsOf(const std::string& folder, const std::vector<std::string>& lines) const {
        static const std::regex converted(
            R"((.+): \d+ bytes, \w+ image, \dx -> (\dx): ([^,]+?)( \(verified\))?(, sha256 \w+)?)");
        std::smatch match;
        for (const std::string& line : lines) {
            if (!std::regex_match(line, match, converted))
                continue;
            const fs::path input = fs::u8path(folder) / fs::u8path(match[1].str());
            EXPECT_EQ(TestImages::ReadFile(fs::u8path(match[3].str())),
                      TestImages::ExpectedOutput(TestImages::ReadFile(input),
                                                 match[2] == "2x" ? to2x : to1x))
                << line;
        }
    }
};

} // namespace

TEST(Guide, EveryCommandPromptExampleDoesWhatTheGuideShows) {
    const std::vector<Example> examples = ExamplesOf(WindowDriver::WindowsPath(KELDARIN_GUIDE));
    ASSERT_FALSE(examples.empty());
    const GuideFolders folders;
    for (const Example& example : examples) {
        const WindowsCli::Result run =
            WindowsCli::Run(example.command, {fs::u8path(example.folder), true, false, ""});
        const std::vector<std::string> lines = WindowsCli::Lines(run.out + run.err);
        const std::string said = example.folder + ">" + example.command + "\n" + run.out + run.err;
        EXPECT_EQ(run.exitCode, example.status) << said;
        EXPECT_TRUE(Matches(example.shown, 0, lines, 0)) << said;
        folders.ExpectOutputsOf(example.folder, lines);
    }
}
