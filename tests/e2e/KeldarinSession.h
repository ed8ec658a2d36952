#pragma once

#include "KeldarinProcess.h"

#include <optional>
#include <string>

// One run of the real Keldarin.exe under Wine, worked like a person would: a fresh start
// directory holding 1x.bin and 2x.bin, the program started there, its main window found, and the
// program closed (or killed, after a failure) at the end.
class KeldarinSession {
public:
    // How a click on one of the dialog's buttons ended: the handler returned, or it is waiting
    // in a message box (still open, to be read and answered).
    struct Outcome {
        bool finished = false;
        std::optional<WindowDriver::MessageBoxInfo> box;
    };

    KeldarinSession();
    ~KeldarinSession();
    KeldarinSession(const KeldarinSession&) = delete;
    KeldarinSession& operator=(const KeldarinSession&) = delete;

    const TestImages::TempDir& StartDir() const { return m_process.StartDir(); }
    const TestImages::Bytes& BootLoader1x() const { return m_process.BootLoader1x(); }
    const TestImages::Bytes& BootLoader2x() const { return m_process.BootLoader2x(); }

    // "...", the path typed into the open-file dialog and confirmed.
    Outcome Choose(const std::string& windowsPath);
    // "...", and the open-file dialog cancelled.
    Outcome CancelChoice();
    Outcome Clone();
    // OK in the message box, then wait for what the handler does next.
    Outcome Answer(const WindowDriver::MessageBoxInfo& box);

    std::string PathBox() const;
    // The info window's text. Every read also checks that the log only ever grew.
    std::string Log();
    int TotalMeter() const;
    int TotalMeterLimit() const;
    int PartMeter() const;
    int PartMeterLimit() const;

    // Closes the dialog as a person would and returns the exit code once the process has ended.
    DWORD Close();

private:
    Outcome Await(std::future<bool>& handler);

    KeldarinProcess m_process;
    WindowDriver& m_driver = m_process.Driver();
    const HWND m_main = m_process.Main();
    // The handler that is waiting in a message box.
    std::future<bool> m_pending;
    std::string m_lastLog;
    bool m_closed = false;
};
