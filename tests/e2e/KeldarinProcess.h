#pragma once

#include "TestImages.h"
#include "WindowDriver.h"

#include <string>
#include <vector>

// The real Keldarin.exe started in a fresh start directory holding 1x.bin and 2x.bin, with the
// given command-line arguments, and its main window found. A process still running at the end
// (after a failed step) is killed, so that no window outlives its test.
class KeldarinProcess {
public:
    explicit KeldarinProcess(const std::string& arguments = "");
    KeldarinProcess(const KeldarinProcess&) = delete;
    KeldarinProcess& operator=(const KeldarinProcess&) = delete;

    WindowDriver& Driver() { return m_driver; }
    HWND Main() const { return m_main; }
    const TestImages::TempDir& StartDir() const { return m_startDir; }
    const TestImages::Bytes& BootLoader1x() const { return m_bootLoader1x; }
    const TestImages::Bytes& BootLoader2x() const { return m_bootLoader2x; }

    HWND Control(int id) const { return GetDlgItem(m_main, id); }
    // The main window's controls in creation order, which is also their tab order.
    std::vector<HWND> Controls() const;
    // The window that has the keyboard focus in the program's user-interface thread.
    HWND Focus() const;
    // The focus once it has come to the control with this id, or wherever it is at the deadline:
    // focus moves after a window closes, later on a slower machine.
    HWND WaitForFocus(int id) const;

    // A visible dialog owned by the main window with this title.
    HWND WaitForOwnedDialog(const std::string& title) const;
    // Posts a key press (down and up) to a window, as the keyboard would deliver it.
    static void PressKey(HWND window, UINT virtualKey);

    // Waits until the process has ended; false when a window of it is still there.
    bool EndedWithoutWindows();
    // Any window of the process, visible or not (none once it has ended).
    HWND AnyWindow() const;

private:
    TestImages::TempDir m_startDir;
    TestImages::Bytes m_bootLoader1x;
    TestImages::Bytes m_bootLoader2x;
    WindowDriver m_driver;
    HWND m_main = nullptr;
};
