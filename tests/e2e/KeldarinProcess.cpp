#include "KeldarinProcess.h"

#include <thread>

namespace {

constexpr WORD kNoRepeat = 1;

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindAnyOfProcess(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId)
        return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

KeldarinProcess::KeldarinProcess(const std::string& arguments)
    : m_startDir("keldarin-e2e-window"), m_bootLoader1x(TestImages::BootLoader(Variant::k1x, 11)),
      m_bootLoader2x(TestImages::BootLoader(Variant::k2x, 12)), m_driver([&] {
          TestImages::WriteFile(m_startDir / "1x.bin", m_bootLoader1x);
          TestImages::WriteFile(m_startDir / "2x.bin", m_bootLoader2x);
          return WindowDriver::Start(WindowDriver::WindowsPath(KELDARIN_EXE), arguments,
                                     m_startDir.Path().string());
      }()) {
    WindowDriver::WindowQuery query;
    query.title = "Keldarin";
    query.unowned = true;
    m_main = m_driver.WaitForWindow(query);
}

std::vector<HWND> KeldarinProcess::Controls() const {
    std::vector<HWND> controls;
    for (HWND child = GetWindow(m_main, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        controls.push_back(child);
    return controls;
}

HWND KeldarinProcess::Focus() const {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(m_main, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

HWND KeldarinProcess::WaitForFocus(int id) const {
    const auto deadline = std::chrono::steady_clock::now() + WindowDriver::kDefaultTimeout;
    HWND focus = Focus();
    while (GetDlgCtrlID(focus) != id && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        focus = Focus();
    }
    return focus;
}

HWND KeldarinProcess::WaitForOwnedDialog(const std::string& title) const {
    WindowDriver::WindowQuery query;
    query.title = title;
    query.owner = m_main;
    return m_driver.WaitForWindow(query);
}

void KeldarinProcess::PressKey(HWND window, UINT virtualKey) {
    const UINT scanCode = MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
    const LPARAM down = kNoRepeat | static_cast<LPARAM>(scanCode) << 16;
    const LPARAM up = down | 0xC0000000;
    PostMessageA(window, WM_KEYDOWN, virtualKey, down);
    PostMessageA(window, WM_KEYUP, virtualKey, up);
}

bool KeldarinProcess::EndedWithoutWindows() {
    m_driver.WaitForExit();
    return AnyWindow() == nullptr;
}

HWND KeldarinProcess::AnyWindow() const {
    WindowSearch search{m_driver.ProcessId(), nullptr};
    EnumWindows(FindAnyOfProcess, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
