// The system menu's About entry and the About box behind it, worked like a person would.
//
// The system menu of another process's window cannot be read under Wine (GetSystemMenu fails
// with error 1407), so it is worked through its keyboard interface instead: opened as Alt+Space
// opens it (SC_KEYMENU), then the entry chosen by its mnemonic, the "o" of "Inf&o". No standard
// entry of the system menu uses that letter.
#include "DialogTemplate.h"
#include "ExeResources.h"
#include "KeldarinProcess.h"
#include "MainWindowState.h"
#include "ScreenIcon.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

namespace {

const std::string kAboutTitle = "Info \xFC"
                                "ber Keldarin";
constexpr WPARAM kAboutCommand = 0x0010;

HWND OpenAboutBox(KeldarinProcess& keldarin) {
    PostMessageA(keldarin.Main(), WM_SYSCOMMAND, kAboutCommand, 0);
    return keldarin.WaitForOwnedDialog(kAboutTitle);
}

HWND OpenSystemMenu(KeldarinProcess& keldarin) {
    PostMessageA(keldarin.Main(), WM_SYSCOMMAND, SC_KEYMENU, ' ');
    WindowDriver::WindowQuery menu;
    menu.className = "#32768";
    return keldarin.Driver().WaitForWindow(menu);
}

// EndDialog hides the box at once and destroys it a moment later, when its modal loop returns.
bool Destroyed(HWND window) {
    const auto deadline = std::chrono::steady_clock::now() + WindowDriver::kDefaultTimeout;
    while (IsWindow(window)) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

} // namespace

TEST(AboutBox, AboutCommandOpensItOwnedByAndCentredOverTheMainWindow) {
    KeldarinProcess keldarin;
    const HWND about = OpenAboutBox(keldarin);

    EXPECT_EQ(GetWindow(about, GW_OWNER), keldarin.Main());
    EXPECT_FALSE(IsWindowEnabled(keldarin.Main())) << "the About box is not modal";
    RECT box, main;
    GetWindowRect(about, &box);
    GetWindowRect(keldarin.Main(), &main);
    EXPECT_NEAR(box.left + box.right, main.left + main.right, 1)
        << "About box " << box.left << ".." << box.right << ", main window " << main.left << ".."
        << main.right;
    EXPECT_NEAR(box.top + box.bottom, main.top + main.bottom, 1)
        << "About box " << box.top << ".." << box.bottom << ", main window " << main.top << ".."
        << main.bottom;
}

// The texts stored in the program (ResourceTest.cpp) are the ones shown, byte for byte.
TEST(AboutBox, ShowsItsStoredVersionSecondLineAndOkAndTheApplicationIcon) {
    KeldarinProcess keldarin;
    const HWND about = OpenAboutBox(keldarin);
    const ExeResources exe(KELDARIN_EXE);
    const auto stored = DialogTemplate::Parse(exe.Bytes(RT_DIALOG, 100));

    std::vector<HWND> controls;
    for (HWND child = GetWindow(about, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        controls.push_back(child);
    ASSERT_EQ(controls.size(), 4u);
    ASSERT_EQ(stored.items.size(), 4u);
    for (std::size_t line = 0; line < 3; ++line)
        EXPECT_EQ(WindowDriver::Text(controls[line]), stored.items[line].text.text) << line;
    EXPECT_STRCASEEQ(ClassOf(controls[2]).c_str(), "Button");
    EXPECT_EQ(GetDlgCtrlID(controls[2]), IDOK);
    EXPECT_EQ(GetDlgCtrlID(keldarin.Focus()), IDOK);

    const HWND icon = controls[3];
    EXPECT_EQ(GetWindowLongA(icon, GWL_STYLE) & SS_TYPEMASK, SS_ICON);
    const int size = GetSystemMetrics(SM_CXICON);
    RECT place;
    GetWindowRect(icon, &place);
    EXPECT_TRUE(ScreenIcon::ShowsSoon(place, exe.Icon(128, size), size))
        << "the About box does not show the application icon";
}

TEST(AboutBox, OkEscapeAndCloseEachEndItAndLeaveTheMainWindowAsItWas) {
    KeldarinProcess keldarin;
    const MainWindowState before = MainWindowState::Of(keldarin);
    const std::vector<std::pair<const char*, std::function<void(HWND)>>> ways = {
        {"OK", [](HWND about) { WindowDriver::Click(GetDlgItem(about, IDOK)); }},
        {"Escape", [&](HWND) { KeldarinProcess::PressKey(keldarin.Focus(), VK_ESCAPE); }},
        {"close", [](HWND about) { PostMessageA(about, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const auto& [name, end] : ways) {
        SCOPED_TRACE(name);
        const HWND about = OpenAboutBox(keldarin);
        end(about);
        EXPECT_TRUE(Destroyed(about));
        EXPECT_EQ(MainWindowState::Of(keldarin), before);
    }
}

TEST(AboutBox, SystemMenuItemWithMnemonicOOpensIt) {
    KeldarinProcess keldarin;
    const HWND menu = OpenSystemMenu(keldarin);
    PostMessageA(keldarin.Main(), WM_CHAR, 'o', 1);
    const HWND about = keldarin.WaitForOwnedDialog(kAboutTitle);
    EXPECT_FALSE(IsWindowVisible(menu));
    WindowDriver::Click(GetDlgItem(about, IDOK));
    WindowDriver::WaitUntilGone(about);
}
