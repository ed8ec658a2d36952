#include "KeldarinSession.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

// Long enough for a clone of 8 MiB on a busy machine, short enough to end a hanging test.
constexpr std::chrono::seconds kHandlerDeadline{60};
constexpr std::chrono::milliseconds kPoll{20};

HWND Control(HWND main, int id) {
    return GetDlgItem(main, id);
}

} // namespace

KeldarinSession::KeldarinSession() = default;

KeldarinSession::~KeldarinSession() {
    if (m_closed || !m_driver.Running())
        return;
    // A window left open by a failed step would keep a graceful close from ending the process.
    if (::testing::Test::HasFailure() || m_driver.OwnedDialogNow(m_main)) {
        m_driver.Kill();
        return;
    }
    try {
        Close();
    } catch (const std::exception& error) {
        ADD_FAILURE() << "Keldarin did not end when its dialog was closed: " << error.what();
    }
}

KeldarinSession::Outcome KeldarinSession::Await(std::future<bool>& handler) {
    const auto deadline = std::chrono::steady_clock::now() + kHandlerDeadline;
    Outcome outcome;
    while (std::chrono::steady_clock::now() < deadline) {
        if (handler.wait_for(kPoll) == std::future_status::ready) {
            outcome.finished = handler.get();
            return outcome;
        }
        if (m_driver.OwnedDialogNow(m_main)) {
            outcome.box = m_driver.WaitForMessageBox(m_main);
            m_pending = std::move(handler);
            return outcome;
        }
    }
    throw WindowDriver::Timeout("the handler neither returned nor showed a message box");
}

KeldarinSession::Outcome KeldarinSession::Choose(const std::string& windowsPath) {
    auto handler = WindowDriver::ClickAndTrack(Control(m_main, IDC_BROWSE));
    m_driver.ChooseFile(m_main, windowsPath);
    return Await(handler);
}

KeldarinSession::Outcome KeldarinSession::CancelChoice() {
    auto handler = WindowDriver::ClickAndTrack(Control(m_main, IDC_BROWSE));
    m_driver.CancelFileDialog(m_main);
    return Await(handler);
}

KeldarinSession::Outcome KeldarinSession::Clone() {
    auto handler = WindowDriver::ClickAndTrack(Control(m_main, IDC_CLONE));
    return Await(handler);
}

KeldarinSession::Outcome KeldarinSession::Answer(const WindowDriver::MessageBoxInfo& box) {
    WindowDriver::PressOk(box.window);
    std::future<bool> handler = std::move(m_pending);
    return Await(handler);
}

std::string KeldarinSession::PathBox() const {
    return WindowDriver::Text(Control(m_main, IDC_PATH));
}

std::string KeldarinSession::Log() {
    std::string log = WindowDriver::Text(Control(m_main, IDC_INFO));
    EXPECT_EQ(log.substr(0, m_lastLog.size()), m_lastLog) << "the info log lost earlier text";
    m_lastLog = log;
    return log;
}

int KeldarinSession::TotalMeter() const {
    return WindowDriver::ProgressPosition(Control(m_main, IDC_PROGRESS_TOTAL));
}

int KeldarinSession::TotalMeterLimit() const {
    return WindowDriver::ProgressUpperLimit(Control(m_main, IDC_PROGRESS_TOTAL));
}

int KeldarinSession::PartMeter() const {
    return WindowDriver::ProgressPosition(Control(m_main, IDC_PROGRESS_PART));
}

int KeldarinSession::PartMeterLimit() const {
    return WindowDriver::ProgressUpperLimit(Control(m_main, IDC_PROGRESS_PART));
}

DWORD KeldarinSession::Close() {
    WindowDriver::Close(m_main);
    const DWORD code = m_driver.WaitForExit();
    m_closed = true;
    return code;
}
