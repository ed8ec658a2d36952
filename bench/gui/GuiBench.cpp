// Times the whole clone of a bare and of a full image in Keldarin's real window under Wine, from
// the click on "Clonen" until the handler has returned with the total meter at 10 and the
// completion in the log, against a plain file copy of the same image in the same run, and the
// flush of that copy to the storage on its own: the share of a clone that waits for the disk.
#include "TestImages.h"
#include "WindowDriver.h"
#include "resource.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRuns = 5;
constexpr char kDone[] = "-> Clonen abgeschlossen!\r\n";

double Milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double TimeCopy(const std::string& from, const std::string& to) {
    const auto start = Clock::now();
    if (!CopyFileA(from.c_str(), to.c_str(), FALSE))
        throw std::runtime_error("CopyFileA failed: " + std::to_string(GetLastError()));
    return Milliseconds(Clock::now() - start);
}

double TimeFlush(const std::string& path) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    const auto start = Clock::now();
    const BOOL flushed = FlushFileBuffers(file);
    const double elapsed = Milliseconds(Clock::now() - start);
    CloseHandle(file);
    if (!flushed)
        throw std::runtime_error("FlushFileBuffers failed on " + path);
    return elapsed;
}

double TimeClone(HWND main) {
    const HWND total = GetDlgItem(main, IDC_PROGRESS_TOTAL);
    const std::size_t logBefore = WindowDriver::Text(GetDlgItem(main, IDC_INFO)).size();
    const auto start = Clock::now();
    auto handler = WindowDriver::ClickAndTrack(GetDlgItem(main, IDC_CLONE));
    if (!WindowDriver::Finished(handler))
        throw std::runtime_error("the clone did not finish");
    const double elapsed = Milliseconds(Clock::now() - start);
    const std::string log = WindowDriver::Text(GetDlgItem(main, IDC_INFO));
    if (WindowDriver::ProgressPosition(total) != 10 ||
        log.find(kDone, logBefore) == std::string::npos)
        throw std::runtime_error("the clone ended without its completion");
    return elapsed;
}

// What the part meter's moves alone cost: the same number of moves on a visible smooth progress
// bar of this process, which repaints synchronously just like the program's.
double TimeMeterMoves() {
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 40, 200, nullptr,
                                  nullptr, nullptr, nullptr);
    HWND meter =
        CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE | PBS_VERTICAL | PBS_SMOOTH,
                        10, 10, 12, 160, window, nullptr, nullptr, nullptr);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
    SendMessageA(meter, PBM_SETRANGE32, 0, 0x1FFFF);
    const auto start = Clock::now();
    for (int position = 0; position < 0x20000; position += 1024)
        SendMessageA(meter, PBM_SETPOS, position, 0);
    SendMessageA(meter, PBM_SETPOS, 0x1FFFF, 0);
    const double elapsed = Milliseconds(Clock::now() - start);
    DestroyWindow(window);
    return elapsed;
}

struct Figures {
    double clone;
    double copy;
    double flush;
};

Figures Measure(const WindowDriver& driver, HWND main, const TestImages::TempDir& folder,
                const std::string& name, const TestImages::Bytes& image) {
    TestImages::WriteFile(folder / name, image);
    const std::string path = (folder / name).string();
    auto browse = WindowDriver::ClickAndTrack(GetDlgItem(main, IDC_BROWSE));
    driver.ChooseFile(main, path);
    if (!WindowDriver::Finished(browse))
        throw std::runtime_error("choosing " + path + " did not finish");
    std::vector<double> clones, copies, flushes;
    for (int run = 0; run < kRuns; ++run) {
        clones.push_back(TimeClone(main));
        copies.push_back(TimeCopy(path, (folder / "copy.img").string()));
        flushes.push_back(TimeFlush((folder / "copy.img").string()));
    }
    return {Median(clones), Median(copies), Median(flushes)};
}

void Print(const char* kind, const Figures& figures) {
    std::printf("%-11s clone %7.1f ms   copy %6.1f ms   ratio %5.1f   flush of the copy %6.1f ms\n",
                kind, figures.clone, figures.copy, figures.clone / figures.copy, figures.flush);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: keldarin_gui_bench KELDARIN_EXE [FOLDER]\n");
        return 2;
    }
    try {
        // The start folder, which is also the output folder: under FOLDER if given.
        TestImages::TempDir folder("keldarin-bench", argc == 3 ? argv[2] : "");
        TestImages::WriteFile(folder / "1x.bin", TestImages::BootLoader(Variant::k1x, 1));
        TestImages::WriteFile(folder / "2x.bin", TestImages::BootLoader(Variant::k2x, 2));
        WindowDriver driver =
            WindowDriver::Start(WindowDriver::WindowsPath(argv[1]), "", folder.Path().string());
        WindowDriver::WindowQuery query;
        query.title = "Keldarin";
        query.unowned = true;
        query.requiredChild = IDC_CLONE;
        const HWND main = driver.WaitForWindow(query);

        std::printf("median of %d runs each, Keldarin's window under Wine, in %s\n", kRuns,
                    folder.Path().string().c_str());
        Print("bare image", Measure(driver, main, folder, "bare.img", TestImages::BareImage(true)));
        Print("full image",
              Measure(driver, main, folder, "full.img", TestImages::FullImage(false)));

        std::printf("129 moves of a visible progress bar alone: %.1f ms\n", TimeMeterMoves());

        WindowDriver::Close(main);
        driver.WaitForExit();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "keldarin_gui_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
