#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <stdexcept>
#include <string>

// Works a program's windows the way a person would, but through Win32 messages, so that it runs
// under Wine without a window manager. Usable from another process (the end-to-end tests start the
// program themselves) and from another thread of the program's own process.
//
// Everything that waits polls under a deadline and throws WindowDriver::Timeout when the deadline
// passes, so a test never hangs and never relies on a fixed sleep.
class WindowDriver {
public:
    using Milliseconds = std::chrono::milliseconds;
    // Deadlines end only the waits of a failing test, so they are generous: the 32-bit tests also
    // run in a virtual machine whose emulated CPU is five to seven times slower, more on a busy
    // host.
    static constexpr Milliseconds kDefaultTimeout{30000};
    // A handler that converts 8 MiB may take a while under a loaded Wine.
    static constexpr Milliseconds kHandlerTimeout{120000};

    struct Timeout : std::runtime_error {
        using std::runtime_error::runtime_error;
    };

    // What to look for among the top-level windows of the driven process.
    struct WindowQuery {
        std::string className = "#32770";
        std::string title;     // empty: any title
        HWND owner = nullptr;  // nullptr: any owner
        bool unowned = false;  // true: only windows without owner
        int requiredChild = 0; // non-zero: only windows with a child of this id
    };

    enum class Icon { None, Stop, Exclamation, Other };

    struct MessageBoxInfo {
        HWND window = nullptr;
        std::string caption;
        std::string text;
        Icon icon = Icon::None;
    };

    // Drives the windows of the calling process (for use from a second thread).
    WindowDriver();
    // Starts a program in the given current directory and waits until it is ready for input.
    // The program path (Windows form) is quoted into the command line ahead of the arguments.
    static WindowDriver Start(const std::string& program, const std::string& arguments,
                              const std::string& currentDirectory);
    WindowDriver(WindowDriver&& other) noexcept;
    WindowDriver& operator=(WindowDriver&&) = delete;
    WindowDriver(const WindowDriver&) = delete;
    WindowDriver& operator=(const WindowDriver&) = delete;
    // Kills a started program that is still running, so that no window outlives a failed test.
    ~WindowDriver();

    DWORD ProcessId() const { return m_processId; }

    HWND WaitForWindow(const WindowQuery& query, Milliseconds timeout = kDefaultTimeout) const;
    // nullptr when no such window exists right now.
    HWND FindWindowNow(const WindowQuery& query) const;
    static void WaitUntilGone(HWND window, Milliseconds timeout = kDefaultTimeout);

    // The child with this id and, if given, this class (a dialog may hold several ids of 1).
    static HWND Child(HWND parent, int id, const std::string& className = "");

    // Posts the click, so that a modal window opened by the handler does not block the caller.
    static void Click(HWND button);
    // Clicks and reports, through the future, when the button's handler has returned (including
    // any modal windows it opened). The future holds false if the handler outlived the timeout.
    static std::future<bool> ClickAndTrack(HWND button, Milliseconds timeout = kHandlerTimeout);
    static bool Finished(std::future<bool>& handler, Milliseconds timeout = kHandlerTimeout);

    // The raw bytes of a window's text (Windows-1252, CR LF as they are).
    static std::string Text(HWND window);
    static int ProgressPosition(HWND progressBar);
    static int ProgressUpperLimit(HWND progressBar);

    // The open-file dialog owned by the given window: type a full path and confirm, or cancel.
    HWND WaitForFileDialog(HWND owner, Milliseconds timeout = kDefaultTimeout) const;
    void ChooseFile(HWND owner, const std::string& windowsPath,
                    Milliseconds timeout = kDefaultTimeout) const;
    void CancelFileDialog(HWND owner, Milliseconds timeout = kDefaultTimeout) const;

    // A message box owned by the given window, read as a person sees it.
    MessageBoxInfo WaitForMessageBox(HWND owner, Milliseconds timeout = kDefaultTimeout) const;
    // nullptr when the window owns no visible dialog right now.
    HWND OwnedDialogNow(HWND owner) const;
    static void PressOk(HWND messageBox, Milliseconds timeout = kDefaultTimeout);

    static void Close(HWND window);
    // The exit code, or throws Timeout.
    DWORD WaitForExit(Milliseconds timeout = kDefaultTimeout);
    bool Running() const;
    void Kill();

    // Wine shows the Unix file system as drive Z:.
    static std::string WindowsPath(const std::filesystem::path& path);

    // A file held open without sharing, as another program would hold it, until destruction.
    class HeldFile {
    public:
        explicit HeldFile(const std::string& windowsPath);
        ~HeldFile();
        HeldFile(const HeldFile&) = delete;
        HeldFile& operator=(const HeldFile&) = delete;

    private:
        HANDLE m_file;
    };

private:
    explicit WindowDriver(const PROCESS_INFORMATION& process);

    DWORD m_processId;
    HANDLE m_process = nullptr;
};
