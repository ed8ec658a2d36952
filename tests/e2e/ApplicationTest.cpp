// Starting and ending Keldarin.exe as a whole program.
#include "KeldarinProcess.h"
#include "MainWindowState.h"

#include <gtest/gtest.h>

namespace {

constexpr int kPath = 1000;
constexpr int kInfo = 1003;
constexpr int kClone = 1004;
constexpr int kBrowse = 1005;

} // namespace

TEST(Application, CloseBoxEndsTheProcessWithNoWindowLeft) {
    KeldarinProcess keldarin;
    PostMessageA(keldarin.Main(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(keldarin.EndedWithoutWindows());
}

TEST(Application, EscapeEndsTheProcessWithNoWindowLeft) {
    KeldarinProcess keldarin;
    const HWND focus = keldarin.Focus();
    ASSERT_EQ(GetDlgCtrlID(focus), kPath);
    KeldarinProcess::PressKey(focus, VK_ESCAPE);
    EXPECT_TRUE(keldarin.EndedWithoutWindows());
}

TEST(Application, ReturnInThePathBoxEndsTheProcessWithNoWindowLeft) {
    KeldarinProcess keldarin;
    const HWND focus = keldarin.Focus();
    ASSERT_EQ(GetDlgCtrlID(focus), kPath);
    KeldarinProcess::PressKey(focus, VK_RETURN);
    EXPECT_TRUE(keldarin.EndedWithoutWindows());
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
