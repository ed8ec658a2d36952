// The two progress meters during a conversion, recorded as the controls receive them: too many
// messages for another process to observe by polling.
#include "CConverterDlg.h"
#include "ModalRun.h"
#include "TestImages.h"
#include "WindowDriver.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <vector>

namespace {

// A position the total meter was set to, and the part meter's first position after it (-1: none).
struct Step {
    int total, partAfter;
};
std::vector<Step> steps;
std::vector<int> partPositions;
std::map<HWND, std::vector<std::string>> ranges; // "0 10"
std::map<HWND, WNDPROC> originalProc;
HWND partMeter = nullptr;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const int value = static_cast<int>(wParam);
    if (message == PBM_SETRANGE32)
        ranges[window].push_back(std::to_string(wParam) + " " + std::to_string(lParam));
    if (message == PBM_SETPOS && window == partMeter) {
        if (!steps.empty() && steps.back().partAfter < 0)
            steps.back().partAfter = value;
        partPositions.push_back(value);
    } else if (message == PBM_SETPOS) {
        steps.push_back({value, -1});
        // Held for longer than a display frame, as an eye takes that long to read it: the part
        // meter then moves on before the next step, showing how far the copy got.
        Sleep(20);
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
        part = partMeter = m_progressPart.m_hWnd;
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

class ConverterMeters : public ::testing::Test {
protected:
    void SetUp() override {
        TestImages::WriteFile(start / "1x.bin", TestImages::BootLoader(Variant::k1x, 1));
        TestImages::WriteFile(start / "2x.bin", TestImages::BootLoader(Variant::k2x, 2));
        ASSERT_TRUE(SetCurrentDirectoryA(start.Path().string().c_str()));
    }

    void Run(const std::filesystem::path& image) {
        steps.clear();
        partPositions.clear();
        ranges.clear();
        originalProc.clear();
        RecordingDlg dlg;
        RunModalWithPerson(dlg, [&image](WindowDriver& driver, HWND main) {
            ChooseAndClone(driver, main, image.string());
        });
        totalRanges = ranges[dlg.total];
        partRanges = ranges[dlg.part];
    }

    TestImages::TempDir start;
    TestImages::TempDir images;
    std::vector<std::string> totalRanges, partRanges;
};

} // namespace

// The total meter takes each of its ten positions once, 3 to 9 while the boot-loader area is
// copied, each after its own byte; the part meter runs from the area's first byte to its last.
TEST_F(ConverterMeters, BareAndFullImagesMoveBothMetersThroughTheirWholeSequence) {
    const std::pair<TestImages::Bytes, const char*> cases[] = {
        {TestImages::BareImage(true), "box(2xImage).img"},
        {TestImages::FullImage(false), "box(1xImage).img"},
    };
    // After how many bytes of the boot-loader area the positions 3 to 9 are reached.
    const int reachedAfter[] = {15000, 35000, 50000, 70000, 90000, 110000, 0x1FFFF};
    for (const auto& [image, output] : cases) {
        SCOPED_TRACE(output);
        TestImages::WriteFile(images / "box.img", image);
        Run(images / "box.img");
        EXPECT_EQ(totalRanges, std::vector<std::string>{"0 10"});
        EXPECT_EQ(partRanges, std::vector<std::string>{"0 131071"});
        ASSERT_EQ(steps.size(), 10u);
        for (int k = 0; k < 10; ++k)
            EXPECT_EQ(steps[k].total, k + 1);
        // Moved on a frame after each step, the part meter shows a byte past the step's last one
        // and within 1/128 of the area of it.
        for (int k = 2; k <= 8; ++k) {
            SCOPED_TRACE("step " + std::to_string(k + 1));
            EXPECT_GT(steps[k].partAfter, steps[k - 1].partAfter);
            EXPECT_GT(steps[k].partAfter, reachedAfter[k - 2] - 1);
            EXPECT_LE(steps[k].partAfter, reachedAfter[k - 2] - 1 + 1024);
        }
        ASSERT_FALSE(partPositions.empty());
        EXPECT_EQ(partPositions.front(), 0);
        EXPECT_EQ(partPositions.back(), 0x1FFFF);
        EXPECT_EQ(std::adjacent_find(partPositions.begin(), partPositions.end(),
                                     std::greater_equal<int>()),
                  partPositions.end())
            << "the part meter went back";
        EXPECT_TRUE(std::filesystem::exists(images / output));
    }
}
