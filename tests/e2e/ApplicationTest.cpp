// Starting and ending Keldarin.exe as a whole program.
#include "KeldarinProcess.h"
#include "MainWindowState.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

constexpr int kPath = 1000;
constexpr int kInfo = 1003;
constexpr int kClone = 1004;
constexpr int kBrowse = 1005;

} // namespace

TEST(Application, CloseBoxEscapeAndReturnInThePathBoxEachEndTheProcessWithNoWindowLeft) {
    const std::vector<std::pair<const char*, std::function<void(HWND main, HWND focus)>>> ways = {
        {"close box", [](HWND main, HWND) { PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"Escape", [](HWND, HWND focus) { KeldarinProcess::PressKey(focus, VK_ESCAPE); }},
        {"Return", [](HWND, HWND focus) { KeldarinProcess::PressKey(focus, VK_RETURN); }},
    };
    for (const auto& [name, end] : ways) {
        SCOPED_TRACE(name);
        KeldarinProcess keldarin;
        const HWND focus = keldarin.Focus();
        ASSERT_EQ(GetDlgCtrlID(focus), kPath);
        end(keldarin.Main(), focus);
        EXPECT_TRUE(keldarin.EndedWithoutWindows());
    }
}

TEST(Application, ArgumentsChangeNothingAndAConversionStillWorks) {
    MainWindowState plain;
    {
        KeldarinProcess keldarin;
        plain = MainWindowState::Of(keldarin);
    }
    KeldarinProcess keldarin("foo /bar x.img");
    EXPECT_EQ(MainWindowState::Of(keldarin), plain);

    const auto input = TestImages::BareImage(true);
    TestImages::WriteFile(keldarin.StartDir() / "box.img", input);
    auto browse = WindowDriver::ClickAndTrack(keldarin.Control(kBrowse));
    keldarin.Driver().ChooseFile(keldarin.Main(),
                                 WindowDriver::WindowsPath(keldarin.StartDir() / "box.img"));
    ASSERT_TRUE(WindowDriver::Finished(browse));
    auto clone = WindowDriver::ClickAndTrack(keldarin.Control(kClone));
    ASSERT_TRUE(WindowDriver::Finished(clone));

    EXPECT_EQ(TestImages::ReadFile(keldarin.StartDir() / "box(2xImage).img"),
              TestImages::ExpectedOutput(input, keldarin.BootLoader2x()));
    EXPECT_EQ(WindowDriver::Text(keldarin.Control(kInfo)).rfind("-> Neue Datei augew\xE4hlt", 0),
              0u);
    PostMessageA(keldarin.Main(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(keldarin.EndedWithoutWindows());
}

TEST(Application, F1AsksTheApplicationForHelpAndTheDialogStaysOpen) {
    KeldarinProcess keldarin;
    // Help comes from the system's own keyboard handling, so the key must come from the input
    // queue, not as a posted message.
    SetForegroundWindow(keldarin.Main());
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = VK_F1;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ASSERT_EQ(SendInput(2, keys, sizeof keys[0]), 2u);
    const auto box = keldarin.Driver().WaitForMessageBox(keldarin.Main());
    EXPECT_EQ(box.text, "F\xFCr dieses Programm gibt es keine Hilfe.");
    EXPECT_EQ(box.caption, "Keldarin");
    WindowDriver::PressOk(box.window);
    EXPECT_EQ(GetDlgCtrlID(keldarin.WaitForFocus(kPath)), kPath);
    PostMessageA(keldarin.Main(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(keldarin.EndedWithoutWindows());
}
