// The running main window as a person works it. Its layout is pinned once, in the stored template
// (ResourceTest.cpp); expected values are spelled out on purpose.
#include "KeldarinProcess.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int kPath = 1000;
constexpr int kInfo = 1003;
constexpr int kClone = 1004;
constexpr int kBrowse = 1005;
constexpr int kPartMeter = 1007;
constexpr int kTotalMeter = 1009;

int ProgressLowerLimit(HWND meter) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(meter, PBM_GETRANGE, TRUE, 0, SMTO_ABORTIFHUNG, 2000, &result);
    return static_cast<int>(result);
}

} // namespace

TEST(MainWindow, IsCentredOnTheScreenWithATaskbarButton) {
    KeldarinProcess keldarin;
    RECT area, window;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    GetWindowRect(keldarin.Main(), &window);
    EXPECT_NEAR(window.left + window.right, area.left + area.right, 1);
    EXPECT_NEAR(window.top + window.bottom, area.top + area.bottom, 1);
    EXPECT_TRUE(GetWindowLongA(keldarin.Main(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
    EXPECT_EQ(GetWindow(keldarin.Main(), GW_OWNER), nullptr);
}

TEST(MainWindow, FocusStartsInThePathBoxAndTabVisitsPathInfoClonenAndBrowse) {
    KeldarinProcess keldarin;
    const HWND main = keldarin.Main();
    EXPECT_EQ(GetDlgCtrlID(keldarin.Focus()), kPath);

    std::vector<int> order;
    HWND item = keldarin.Control(kPath);
    for (int step = 0; step < 5 && item; ++step) {
        order.push_back(GetDlgCtrlID(item));
        item = GetNextDlgTabItem(main, item, FALSE);
    }
    EXPECT_EQ(order, (std::vector<int>{kPath, kInfo, kClone, kBrowse, kPath}));

    order.clear();
    item = keldarin.Control(kPath);
    for (int step = 0; step < 5 && item; ++step) {
        order.push_back(GetDlgCtrlID(item));
        item = GetNextDlgTabItem(main, item, TRUE);
    }
    EXPECT_EQ(order, (std::vector<int>{kPath, kBrowse, kClone, kInfo, kPath}));
}

TEST(MainWindow, PathBoxAndInfoWindowCannotBeTypedInto) {
    KeldarinProcess keldarin;
    for (int id : {kPath, kInfo}) {
        SCOPED_TRACE(id);
        const HWND box = keldarin.Control(id);
        EXPECT_TRUE(GetWindowLongA(box, GWL_STYLE) & ES_READONLY);
        for (char typed : {'x', '1', '\b'}) {
            DWORD_PTR ignored = 0;
            SendMessageTimeoutA(box, WM_CHAR, static_cast<unsigned char>(typed), 1,
                                SMTO_ABORTIFHUNG, 2000, &ignored);
        }
        EXPECT_EQ(WindowDriver::Text(box), "");
    }
}

TEST(MainWindow, InfoWindowHasBothScrollBarsAndTakesReturn) {
    KeldarinProcess keldarin;
    const LONG style = GetWindowLongA(keldarin.Control(kInfo), GWL_STYLE);
    EXPECT_TRUE(style & WS_VSCROLL);
    EXPECT_TRUE(style & WS_HSCROLL);
    EXPECT_TRUE(style & ES_MULTILINE);
    EXPECT_TRUE(style & ES_WANTRETURN);
    EXPECT_TRUE(style & ES_AUTOVSCROLL);
    EXPECT_TRUE(style & ES_AUTOHSCROLL);
}

TEST(MainWindow, BothMetersStandAtZeroOfTheirDefaultRangeAtStart) {
    KeldarinProcess keldarin;
    for (int id : {kTotalMeter, kPartMeter}) {
        SCOPED_TRACE(id);
        const HWND meter = keldarin.Control(id);
        EXPECT_EQ(WindowDriver::ProgressPosition(meter), 0);
        EXPECT_EQ(ProgressLowerLimit(meter), 0);
        EXPECT_EQ(WindowDriver::ProgressUpperLimit(meter), 100);
        const LONG style = GetWindowLongA(meter, GWL_STYLE);
        EXPECT_TRUE(style & PBS_VERTICAL);
        EXPECT_TRUE(style & PBS_SMOOTH);
    }
}
