// The running main window as a person sees it. Expected values are spelled out on purpose.
#include "ExeResources.h"
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
// Statics of an extended template carry the 32-bit id -1.
constexpr int kNoId = -1;

struct ShownControl {
    int id;
    const char* className;
    std::string text;
    RECT dialogUnits; // left, top, width, height
};

const std::vector<ShownControl> kShown = {
    {kPath, "Edit", "", {15, 19, 85, 12}},
    {kNoId, "Static", "Datei ausw\xE4hlen:", {13, 7, 111, 9}},
    {kNoId, "Static", "Info Fenster", {13, 48, 111, 9}},
    {kInfo, "Edit", "", {17, 59, 103, 81}},
    {kClone, "Button", "Clonen", {43, 146, 53, 15}},
    {kBrowse, "Button", "...", {105, 19, 18, 12}},
    {kPartMeter, "msctls_progress32", "Progress2", {124, 59, 6, 81}},
    {kTotalMeter, "msctls_progress32", "Progress2", {7, 59, 6, 81}},
    {kNoId, "Static", "Gesamt Status", {7, 142, 32, 19}},
    {kNoId, "Static", "Teil Status", {107, 142, 23, 17}},
};

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// The pixel rectangle that the dialog's own mapping gives for a rectangle in dialog units. The
// mapping is measured on the same template created hidden in this process: same font, same
// screen, so the same base units.
class DialogUnits {
public:
    explicit DialogUnits(int templateId)
        : m_resources(KELDARIN_EXE), m_dialog(m_resources.CreateHiddenDialog(templateId)) {}
    ~DialogUnits() { DestroyWindow(m_dialog); }
    DialogUnits(const DialogUnits&) = delete;
    DialogUnits& operator=(const DialogUnits&) = delete;

    // The dialog manager maps a control's position and its size each on their own, so the
    // right edge is the mapped left plus the mapped width, not the mapped left plus width.
    RECT Pixels(const RECT& unitsLeftTopWidthHeight) const {
        RECT place = {unitsLeftTopWidthHeight.left, unitsLeftTopWidthHeight.top, 0, 0};
        RECT size = {0, 0, unitsLeftTopWidthHeight.right, unitsLeftTopWidthHeight.bottom};
        MapDialogRect(m_dialog, &place);
        MapDialogRect(m_dialog, &size);
        return {place.left, place.top, place.left + size.right, place.top + size.bottom};
    }

private:
    ExeResources m_resources;
    HWND m_dialog;
};

RECT ClientRectOf(HWND control, HWND dialog) {
    RECT rect;
    GetWindowRect(control, &rect);
    POINT corners[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
    ScreenToClient(dialog, &corners[0]);
    ScreenToClient(dialog, &corners[1]);
    return {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

std::string Show(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

int ProgressLowerLimit(HWND meter) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(meter, PBM_GETRANGE, TRUE, 0, SMTO_ABORTIFHUNG, 2000, &result);
    return static_cast<int>(result);
}

} // namespace

TEST(MainWindow, ShowsItsCaptionAndTenControlsWithTheirTextsInCreationOrder) {
    KeldarinProcess keldarin;
    EXPECT_EQ(WindowDriver::Text(keldarin.Main()), "Keldarin");

    const auto controls = keldarin.Controls();
    ASSERT_EQ(controls.size(), kShown.size());
    for (std::size_t i = 0; i < kShown.size(); ++i) {
        SCOPED_TRACE("control " + std::to_string(i) + " \"" + kShown[i].text + "\"");
        EXPECT_EQ(GetDlgCtrlID(controls[i]), kShown[i].id);
        EXPECT_STRCASEEQ(ClassOf(controls[i]).c_str(), kShown[i].className);
        EXPECT_EQ(WindowDriver::Text(controls[i]), kShown[i].text);
        EXPECT_TRUE(IsWindowVisible(controls[i]));
    }
}

TEST(MainWindow, ControlsLieExactlyWhereTheDialogUnitsPutThem) {
    KeldarinProcess keldarin;
    const DialogUnits units(102);

    RECT client;
    GetClientRect(keldarin.Main(), &client);
    const RECT size = units.Pixels({0, 0, 137, 167});
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);

    const auto controls = keldarin.Controls();
    ASSERT_EQ(controls.size(), kShown.size());
    for (std::size_t i = 0; i < kShown.size(); ++i) {
        SCOPED_TRACE("control " + std::to_string(i) + " \"" + kShown[i].text + "\"");
        EXPECT_EQ(Show(ClientRectOf(controls[i], keldarin.Main())),
                  Show(units.Pixels(kShown[i].dialogUnits)));
    }
}

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
