// The two progress meters during a conversion, recorded as the controls receive them: too many
// messages for another process to observe by polling.
#include "CConverterDlg.h"
#include "ModalRun.h"
#include "TestImages.h"
#include "WindowDriver.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

// Every range and position message a progress bar received, as text: "range 0 10", "pos 3".
std::map<HWND, std::vector<std::string>> received;
std::map<HWND, WNDPROC> originalProc;
// Both meters' messages in the order they arrived, to place each total move among the part moves.
std::vector<std::pair<HWND, std::string>> arrived;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == PBM_SETRANGE32)
        received[window].push_back("range " + std::to_string(wParam) + " " +
                                   std::to_string(lParam));
    if (message == PBM_SETPOS) {
        received[window].push_back("pos " + std::to_string(wParam));
        arrived.emplace_back(window, std::to_string(wParam));
    }
    return CallWindowProcA(originalProc[window], window, message, wParam, lParam);
}

// The real dialog, with its two meters watched.
class RecordingDlg : public CConverterDlg {
public:
    HWND total = nullptr;
    HWND part = nullptr;

protected:
    BOOL OnInitDialog() override {
        const BOOL result = CConverterDlg::OnInitDialog();
        total = m_progressTotal.m_hWnd;
        part = m_progressPart.m_hWnd;
        for (HWND meter : {total, part}) {
            originalProc[meter] = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(meter, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingProc)));
        }
        return result;
    }
};

// Chooses the image and converts it, like a person at the window.
void ChooseAndClone(WindowDriver& driver, HWND main, const std::string& image) {
    auto browse = WindowDriver::ClickAndTrack(WindowDriver::Child(main, IDC_BROWSE));
    driver.ChooseFile(main, image);
    EXPECT_TRUE(WindowDriver::Finished(browse));
    auto clone = WindowDriver::ClickAndTrack(WindowDriver::Child(main, IDC_CLONE));
    EXPECT_TRUE(WindowDriver::Finished(clone));
}

std::vector<std::string> ExpectedTotal() {
    return {"range 0 10", "pos 1", "pos 2", "pos 3", "pos 4", "pos 5",
            "pos 6",      "pos 7", "pos 8", "pos 9", "pos 10"};
}

// Total positions 3..9 are reached after this many bytes of the boot-loader area.
const std::map<int, int> kMilestoneBytes = {{3, 15000}, {4, 35000},  {5, 50000},  {6, 70000},
                                            {7, 90000}, {8, 110000}, {9, 0x1FFFF}};

// How many part moves there are is a matter of time; their range and ends are not.
void ExpectPartShape(const std::vector<std::string>& part) {
    ASSERT_GE(part.size(), 3u);
    EXPECT_EQ(part.front(), "range 0 131071");
    EXPECT_EQ(part[1], "pos 0");
    EXPECT_EQ(part.back(), "pos 131071");
}

// Each milestone falls between the part position before it (at most its last byte) and the one
// after it (past its last byte).
void ExpectMilestonesAmongPartMoves(HWND total, HWND part) {
    int before = -1, pendingLastByte = -1;
    for (const auto& [window, text] : arrived) {
        const int value = std::stoi(text);
        if (window == part) {
            EXPECT_GT(value, pendingLastByte);
            before = value;
            pendingLastByte = -1;
        } else if (window == total && kMilestoneBytes.count(value)) {
            pendingLastByte = kMilestoneBytes.at(value) - 1;
            EXPECT_TRUE(before >= 0 && before <= pendingLastByte) << value << " after " << before;
        }
    }
    EXPECT_EQ(pendingLastByte, -1);
}

class ConverterMeters : public ::testing::Test {
protected:
    void SetUp() override {
        TestImages::WriteFile(start / "1x.bin", TestImages::BootLoader(Variant::k1x, 1));
        TestImages::WriteFile(start / "2x.bin", TestImages::BootLoader(Variant::k2x, 2));
        ASSERT_TRUE(SetCurrentDirectoryA(start.Path().string().c_str()));
    }

    void Run(const std::filesystem::path& image) {
        received.clear();
        originalProc.clear();
        arrived.clear();
        RecordingDlg dlg;
        RunModalWithPerson(dlg, [&image](WindowDriver& driver, HWND main) {
            ChooseAndClone(driver, main, image.string());
        });
        total = received[dlg.total];
        part = received[dlg.part];
        ExpectMilestonesAmongPartMoves(dlg.total, dlg.part);
    }

    TestImages::TempDir start;
    TestImages::TempDir images;
    std::vector<std::string> total, part;
};

} // namespace

TEST_F(ConverterMeters, BareAndFullImagesMoveBothMetersThroughTheirWholeSequence) {
    const std::pair<TestImages::Bytes, const char*> cases[] = {
        {TestImages::BareImage(true), "box(2xImage).img"},
        {TestImages::FullImage(false), "box(1xImage).img"},
    };
    for (const auto& [image, output] : cases) {
        SCOPED_TRACE(output);
        TestImages::WriteFile(images / "box.img", image);
        Run(images / "box.img");
        EXPECT_EQ(total, ExpectedTotal());
        ExpectPartShape(part);
        EXPECT_TRUE(std::filesystem::exists(images / output));
    }
}
