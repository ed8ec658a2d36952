// The application icon on the running main window.
//
// Under Wine the window's icon handles cannot be asked for from another process: WM_GETICON and
// WM_QUERYDRAGICON sent across processes fail for any window. The icon is therefore checked where
// a person sees it: Wine draws the caption itself (no window manager), with the window's small
// icon at its left end, and a dialog with a modal frame shows no icon there unless one was set.
#include "ExeResources.h"
#include "KeldarinProcess.h"
#include "MainWindowState.h"
#include "ScreenIcon.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

bool BecomesIconic(HWND window, bool iconic) {
    const auto deadline = std::chrono::steady_clock::now() + WindowDriver::kDefaultTimeout;
    while (static_cast<bool>(IsIconic(window)) != iconic) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

} // namespace

TEST(ApplicationIcon, CaptionShowsTheIconFromTheProgramsResources) {
    KeldarinProcess keldarin;
    const ExeResources exe(KELDARIN_EXE);
    RECT window, client;
    GetWindowRect(keldarin.Main(), &window);
    GetClientRect(keldarin.Main(), &client);
    MapWindowPoints(keldarin.Main(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    // The caption: from the window's top left corner down to the client area, icon-wide.
    const RECT caption = {window.left, window.top, window.left + 3 * GetSystemMetrics(SM_CXSIZE),
                          client.top};
    // The window holds the icon at the default size; the caption shows it shrunk to small size.
    EXPECT_TRUE(ScreenIcon::ShowsSoon(caption, exe.Icon(128, 0), GetSystemMetrics(SM_CXSMICON)));
}

TEST(ApplicationIcon, MinimisedAndRestoredTheWindowComesBackUnchanged) {
    KeldarinProcess keldarin;
    const MainWindowState before = MainWindowState::Of(keldarin);

    PostMessageA(keldarin.Main(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(BecomesIconic(keldarin.Main(), true));
    EXPECT_TRUE(IsWindowVisible(keldarin.Main()));

    PostMessageA(keldarin.Main(), WM_SYSCOMMAND, SC_RESTORE, 0);
    ASSERT_TRUE(BecomesIconic(keldarin.Main(), false));
    EXPECT_EQ(MainWindowState::Of(keldarin), before);
}
