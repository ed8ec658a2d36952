// keldarin-cli.exe with the names German-speaking users give their files, and with wildcards as
// typed into cmd.exe. Runs in a UTF-8 locale: only there does Wine show names beyond ASCII to a
// Windows program, whose ANSI code page stays 1252 (this test program's own).
#include "E2eFiles.h"
#include "WindowDriver.h"
#include "WindowsCli.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace fs = std::filesystem;
using TestImages::Bytes;
using WindowsCli::Lines;

namespace {

const std::string kUmlaut = "Prüfung";
const std::string kCjk = "日本語";
// With its folder of the same kind, over MAX_PATH bytes in UTF-8 but under MAX_PATH characters.
const std::string kCyrillic =
    "Прошивка Прошивка Прошивка Прошивка Прошивка Прошивка Прошивка Прошивка";

fs::path In(const fs::path& folder, const std::string& name) {
    return folder / fs::u8path(name);
}

// A folder of images, with the boot-loader files in it or in a folder of their own.
struct Folder {
    TestImages::TempDir dir;
    const Bytes to1x = TestImages::BootLoader(Variant::k1x, 11);
    const Bytes to2x = TestImages::BootLoader(Variant::k2x, 12);

    explicit Folder(const std::string& bootLoaders = "", const fs::path& parent = {})
        : dir("keldarin", parent) {
        fs::create_directories(In(dir.Path(), bootLoaders));
        TestImages::WriteFile(In(dir.Path(), bootLoaders) / "1x.bin", to1x);
        TestImages::WriteFile(In(dir.Path(), bootLoaders) / "2x.bin", to2x);
    }
    // Places an image and returns the bytes its conversion must give.
    Bytes Image(const std::string& name, const Bytes& image) {
        TestImages::WriteFile(In(dir.Path(), name), image);
        const bool is1x = image[(image.size() == 0x800000 ? 0x20001 : 0) + 8] == 't';
        return TestImages::ExpectedOutput(image, is1x ? to2x : to1x);
    }
    std::set<std::string> Listing() const { return E2eFiles::Listing(dir.Path()); }
};

} // namespace

TEST(CliNames, NamesBeyondAsciiAreConvertedUnderTheNamesTheReportGives) {
    Folder folder;
    const std::string sub = kCyrillic.substr(kCyrillic.find(' ') + 1);
    fs::create_directory(In(folder.dir.Path(), sub));
    const std::string cyrillic = sub + "\\" + kCyrillic + ".img";
    const std::map<std::string, Bytes> expected = {
        {kUmlaut + "(2xImage).img", folder.Image(kUmlaut + ".img", TestImages::BareImage(true))},
        {sub + "\\" + kCyrillic + "(1xImage).img",
         folder.Image(cyrillic, TestImages::BareImage(false))},
        {kCjk + "(2xImage).img", folder.Image(kCjk + ".img", TestImages::FullImage(true))}};

    const WindowsCli::Result run = WindowsCli::Run(
        "convert " + kUmlaut + ".img \"" + cyrillic + "\" " + kCjk + ".img", {folder.dir.Path()});
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    // Each line ends in the output's full path, which holds exactly the bytes expected.
    const std::vector<std::string> lines = Lines(run.out);
    EXPECT_EQ(lines.size(), expected.size()) << run.out;
    for (const std::string& line : lines) {
        const fs::path reported = fs::u8path(line.substr(line.rfind(": ") + 2));
        const auto match = std::find_if(expected.begin(), expected.end(), [&](const auto& entry) {
            return fs::equivalent(reported, In(folder.dir.Path(), entry.first));
        });
        ASSERT_NE(match, expected.end()) << line;
        EXPECT_EQ(TestImages::ReadFile(reported), match->second) << line;
    }
    EXPECT_EQ(folder.Listing(), (std::set<std::string>{"1x.bin", "2x.bin", sub, kUmlaut + ".img",
                                                       kUmlaut + "(2xImage).img", kCjk + ".img",
                                                       kCjk + "(2xImage).img"}));
}

// The folders of -b and -o and the checksum file take such names too, and JSON carries every
// name as the very text, with no bytes in hex beside it.
TEST(CliNames, JsonAndTheOptionsCarryTheNamesAsTyped) {
    Folder folder("Bootlader-Ä");
    const std::string out = "Ausgabe-" + kCjk, listing = "Prüfsummen-" + kCyrillic + ".txt";
    fs::create_directory(In(folder.dir.Path(), out));
    const Bytes expected = folder.Image(kCyrillic + ".img", TestImages::FullImage(false));

    const WindowsCli::Result run =
        WindowsCli::Run("convert --json -b Bootlader-Ä -o " + out + " --checksum-file \"" +
                            listing + "\" \"" + kCyrillic + ".img\"",
                        {folder.dir.Path()});
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    const std::string output = kCyrillic + "(1xImage).img";
    EXPECT_NE(run.out.find("\"input\":\"" + kCyrillic + ".img\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\\\\" + out + "\\\\" + output + "\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"boot_loader\":\"Bootlader-Ä\\\\1x.bin\""), std::string::npos);
    EXPECT_EQ(run.out.find("_hex"), std::string::npos) << run.out;
    EXPECT_EQ(TestImages::ReadFile(In(folder.dir.Path(), out) / fs::u8path(output)), expected);
    const Bytes sums = TestImages::ReadFile(In(folder.dir.Path(), listing));
    EXPECT_NE(std::string(sums.begin(), sums.end()).find(output), std::string::npos);
}

// cmd.exe hands "*.img" over as typed: the tool takes every file (no folder) that matches, in
// name order whatever the order of the folder, quoted or not. A pattern that matches nothing is
// one failure, and the batch goes on.
TEST(CliNames, WildcardsTypedIntoCmdTakeEveryImageOfTheFolder) {
    Folder folder;
    const Bytes fromUmlaut = folder.Image(kUmlaut + ".img", TestImages::FullImage(false));
    const Bytes fromBox = folder.Image("box.img", TestImages::BareImage(true));
    folder.Image("Anna.img", TestImages::BareImage(false));
    folder.Image("notes.txt", TestImages::BareImage(false));
    fs::create_directory(folder.dir / "ordner.img");

    const WindowsCli::Result info = WindowsCli::Run("info \"*.IMG\"", {folder.dir.Path(), true});
    EXPECT_EQ(info.exitCode, 0u) << info.err;
    std::vector<std::string> inputs;
    for (const std::string& line : Lines(info.out))
        inputs.push_back(line.substr(0, line.find(": ")));
    EXPECT_EQ(inputs, (std::vector<std::string>{"Anna.img", "box.img", kUmlaut + ".img"}));

    const WindowsCli::Result run =
        WindowsCli::Run("convert -q nichts*.img *.img", {folder.dir.Path(), true});
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(Lines(run.err),
              std::vector<std::string>{"keldarin-cli: nichts*.img: no file matches"});
    EXPECT_EQ(TestImages::ReadFile(folder.dir / "box(2xImage).img"), fromBox);
    EXPECT_EQ(TestImages::ReadFile(In(folder.dir.Path(), kUmlaut + "(1xImage).img")), fromUmlaut);
    EXPECT_TRUE(fs::exists(folder.dir / "Anna(1xImage).img"));
    EXPECT_FALSE(fs::exists(folder.dir / "notes(1xImage).txt"));
}

// check reads the listing the Windows tool wrote, names in any script, from another folder, and
// judges the images that a wildcard typed into cmd.exe takes.
TEST(CliNames, CheckReadsTheListingTheToolWroteAndJudgesImagesByAWildcard) {
    Folder folder;
    folder.Image(kUmlaut + ".img", TestImages::BareImage(true));
    folder.Image(kCjk + ".img", TestImages::FullImage(false));
    const fs::path listing = In(folder.dir.Path(), "Prüfsummen.txt");
    ASSERT_EQ(WindowsCli::Run("convert --checksum-file Prüfsummen.txt " + kUmlaut + ".img " + kCjk +
                                  ".img",
                              {folder.dir.Path()})
                  .exitCode,
              0u);
    const std::string umlautOutput =
        WindowDriver::WindowsPath(In(folder.dir.Path(), kUmlaut)) + "(2xImage).img";
    const WindowsCli::Result sound = WindowsCli::Run("check" + WindowsCli::Quoted(listing));
    EXPECT_EQ(sound.exitCode, 0u) << sound.err;
    EXPECT_EQ(Lines(sound.out).at(0), umlautOutput + ": OK") << sound.out;
    EXPECT_EQ(Lines(sound.out).size(), 2u) << sound.out;

    Bytes changed = TestImages::ReadFile(fs::u8path(umlautOutput));
    TestImages::WriteFile(fs::u8path(umlautOutput), (changed[0x7DFFFF] ^= 1, changed));
    const WindowsCli::Result failed = WindowsCli::Run("check -q" + WindowsCli::Quoted(listing));
    EXPECT_EQ(failed.exitCode, 1u);
    EXPECT_EQ(Lines(failed.out), std::vector<std::string>{umlautOutput + ": FAILED"});

    const WindowsCli::Result images =
        WindowsCli::Run("check *(1xImage).img", {folder.dir.Path(), true});
    EXPECT_EQ(images.exitCode, 0u) << images.err;
    EXPECT_EQ(Lines(images.out), std::vector<std::string>{kCjk + "(1xImage).img: OK (8257536 "
                                                                 "bytes, bare image, 1x, boot "
                                                                 "loader: 1x.bin)"});
}

// A Windows that ignores the manifest (before 10 version 1903) keeps its ANSI code page: names of
// that code page still work and reach a pipe and JSON as UTF-8; any other name is refused as
// such, never approximated by a look-alike.
TEST(CliNames, WithoutTheManifestNamesOfTheCodePageWorkAndOthersAreRefused) {
    Folder folder;
    const Bytes expected = folder.Image(kUmlaut + ".img", TestImages::BareImage(true));
    folder.Image(kCjk + ".img", TestImages::BareImage(true));
    WindowsCli::Where ansi{folder.dir.Path()};
    ansi.program = KELDARIN_CLI_ANSI_EXE;

    // The code page's best fit would make this "Arger.img", another file.
    folder.Image("Arger.img", TestImages::BareImage(true));
    const WindowsCli::Result refused = WindowsCli::Run("convert Ārger.img", ansi);
    EXPECT_EQ(refused.exitCode, 2u);
    EXPECT_NE(refused.err.find("code page (1252) cannot hold"), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::exists(folder.dir / "Arger(2xImage).img"));

    const WindowsCli::Result run = WindowsCli::Run("convert *.img", ansi);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(Lines(run.err).size(), 1u) << run.err;
    EXPECT_NE(run.out.find(kUmlaut + "(2xImage).img"), std::string::npos) << run.out;
    EXPECT_EQ(TestImages::ReadFile(In(folder.dir.Path(), kUmlaut + "(2xImage).img")), expected);

    const WindowsCli::Result json = WindowsCli::Run("info --json " + kUmlaut + ".img", ansi);
    EXPECT_NE(json.out.find("\"input\":\"" + kUmlaut + ".img\""), std::string::npos) << json.out;
    EXPECT_EQ(json.out.find("_hex"), std::string::npos);
}

// Verbatim, device and slashed paths as typed into cmd.exe: each output lies beside its input in
// the input's own form, one file is one output whatever its form, and with both streams in one
// log each line comes as its input ends.
TEST(CliNames, VerbatimDeviceAndSlashedPathsKeepTheirFormAndTheLogKeepsInputOrder) {
    Folder folder("", "Z:\\tmp"); // "/tmp" is that folder for Windows and for Wine alike
    const std::string dir = WindowDriver::WindowsPath(folder.dir.Path());
    const Bytes expected = folder.Image("box.img", TestImages::BareImage(true));
    folder.Image("full.img", TestImages::FullImage(false));
    TestImages::WriteFile(folder.dir / "bad.img", Bytes(5));
    std::string slashed = dir.substr(2) + "/full.img";
    std::replace(slashed.begin(), slashed.end(), '\\', '/');

    const WindowsCli::Result run = WindowsCli::Run("convert -b \\\\?\\" + dir + " \\\\?\\" + dir +
                                                       "\\box.img bad.img \\\\.\\" + dir +
                                                       "\\full.img " + slashed + " > log.txt 2>&1",
                                                   {folder.dir.Path(), true});
    EXPECT_EQ(run.exitCode, 1u);
    const Bytes logged = TestImages::ReadFile(folder.dir / "log.txt");
    const std::vector<std::string> log = Lines(std::string(logged.begin(), logged.end()));
    ASSERT_EQ(log.size(), 4u);
    EXPECT_NE(log[0].find(": \\\\?\\" + dir + "\\box(2xImage).img"), std::string::npos) << log[0];
    EXPECT_EQ(log[1].rfind("keldarin-cli: bad.img: wrong length", 0), 0u) << log[1];
    EXPECT_NE(log[2].find(": \\\\.\\" + dir + "\\full(1xImage).img"), std::string::npos) << log[2];
    EXPECT_NE(log[3].find(slashed + ": refusing to write"), std::string::npos) << log[3];
    EXPECT_EQ(TestImages::ReadFile(folder.dir / "box(2xImage).img"), expected);
}

// "/?" asks for help as with Windows' own tools; a quote inside an argument is cmd.exe's
// trailing-backslash trap, refused with its fix before anything is converted.
TEST(CliNames, SlashQuestionMarkShowsHelpAndTheQuoteTrapIsRefusedWithItsFix) {
    Folder folder;
    const WindowsCli::Result help = WindowsCli::Run("/?"),
                             convertHelp = WindowsCli::Run("convert /?");
    EXPECT_EQ(help.exitCode, 0u);
    EXPECT_NE(help.out.find("keldarin-cli check SHA256SUMS.txt"), std::string::npos) << help.out;
    EXPECT_NE(convertHelp.out.find("Usage: keldarin-cli convert"), std::string::npos);

    const WindowsCli::Result trap = WindowsCli::Run(
        "convert -b \"" + WindowDriver::WindowsPath(folder.dir.Path()) + "\\\" box.img",
        {folder.dir.Path(), true});
    EXPECT_EQ(trap.exitCode, 2u);
    EXPECT_NE(trap.err.find("\" box.img: a quote is part of this argument"), std::string::npos)
        << trap.err;
}

// Ctrl+C in the middle of a batch, on the tool's own console: the run's temporaries go with it.
TEST(CliNames, CtrlCLeavesNoTemporaryBehind) {
    Folder folder;
    fs::create_directory(folder.dir / "out");
    for (int i = 0; i < 40; ++i)
        folder.Image(std::to_string(i) + ".img", TestImages::BareImage(true, i));
    std::wstring line =
        L"\"" + fs::path(KELDARIN_CLI_EXE).wstring() + L"\" convert -q -o out *.img";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE,
                               nullptr, folder.dir.Path().c_str(), &startup, &process));
    const auto temporaries = [&] {
        WIN32_FIND_DATAW found;
        const HANDLE search = FindFirstFileW((folder.dir / "out" / ".kdn*").c_str(), &found);
        return search != INVALID_HANDLE_VALUE && FindClose(search);
    };
    while (!temporaries() && WaitForSingleObject(process.hProcess, 1) == WAIT_TIMEOUT) {
    }
    // The event goes to every process on the console: the test joins it, and ignores it.
    FreeConsole();
    EXPECT_TRUE(AttachConsole(process.dwProcessId));
    SetConsoleCtrlHandler(nullptr, TRUE);
    EXPECT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_NE(code, 0u);
    EXPECT_FALSE(temporaries());
}
