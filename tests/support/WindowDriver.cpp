#include "WindowDriver.h"

#include "ScreenIcon.h"

#include <commctrl.h>

#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr WindowDriver::Milliseconds kPollInterval{20};
// Reads must not hang the test when the program is stuck in a handler. Not SMTO_ABORTIFHUNG:
// Wine calls a window hung after 5 s without fetching a message, which a slow machine reaches
// while the program is merely busy.
constexpr UINT kReadTimeoutMs = WindowDriver::kDefaultTimeout.count();

std::string ClassOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TitleOf(HWND window) {
    char title[512] = {};
    GetWindowTextA(window, title, sizeof title);
    return title;
}

LRESULT Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kReadTimeoutMs, &result))
        throw WindowDriver::Timeout("window " + std::to_string(reinterpret_cast<UINT_PTR>(window)) +
                                    " did not answer message " + std::to_string(message));
    return static_cast<LRESULT>(result);
}

struct Search {
    const WindowDriver::WindowQuery* query;
    DWORD processId;
    HWND found;
};

bool Matches(HWND window, const WindowDriver::WindowQuery& query, DWORD processId) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != processId || !IsWindowVisible(window))
        return false;
    if (lstrcmpiA(ClassOf(window).c_str(), query.className.c_str()) != 0)
        return false;
    if (!query.title.empty() && TitleOf(window) != query.title)
        return false;
    const HWND ownerWindow = GetWindow(window, GW_OWNER);
    if (query.owner && ownerWindow != query.owner)
        return false;
    if (query.unowned && ownerWindow)
        return false;
    return !query.requiredChild || GetDlgItem(window, query.requiredChild);
}

BOOL CALLBACK CheckTopLevel(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    if (!Matches(window, *search->query, search->processId))
        return TRUE;
    search->found = window;
    return FALSE;
}

struct ChildSearch {
    int id;
    const std::string* className;
    HWND found;
};

BOOL CALLBACK CheckChild(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<ChildSearch*>(context);
    if (GetDlgCtrlID(window) != search->id)
        return TRUE;
    if (!search->className->empty() &&
        lstrcmpiA(ClassOf(window).c_str(), search->className->c_str()) != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

const LPCSTR kStopIcon = IDI_HAND;
const LPCSTR kExclamationIcon = IDI_EXCLAMATION;
const LPCSTR kInformationIcon = IDI_ASTERISK;

// A message box shows a system icon. In the box's own process its handle tells which one; from
// another process the handle means nothing here, so the pixels on the screen are compared with
// the system icons drawn by this process. The box may not have painted yet: retry for a while.
WindowDriver::Icon IdentifyIcon(HWND iconControl, HICON shown) {
    if (!shown)
        return WindowDriver::Icon::None;
    if (shown == LoadIconA(nullptr, kStopIcon))
        return WindowDriver::Icon::Stop;
    if (shown == LoadIconA(nullptr, kExclamationIcon))
        return WindowDriver::Icon::Exclamation;
    const int size = GetSystemMetrics(SM_CXICON);
    const auto deadline = Clock::now() + WindowDriver::kDefaultTimeout;
    do {
        RECT place;
        GetWindowRect(iconControl, &place);
        place.right = place.left + size;
        place.bottom = place.top + size;
        if (ScreenIcon::Shows(place, LoadIconA(nullptr, kStopIcon), size))
            return WindowDriver::Icon::Stop;
        if (ScreenIcon::Shows(place, LoadIconA(nullptr, kExclamationIcon), size))
            return WindowDriver::Icon::Exclamation;
        // Neither of those, but painted and known: no need to wait out the deadline.
        if (ScreenIcon::Shows(place, LoadIconA(nullptr, kInformationIcon), size))
            return WindowDriver::Icon::Other;
        std::this_thread::sleep_for(kPollInterval);
    } while (Clock::now() < deadline);
    return WindowDriver::Icon::Other;
}

} // namespace

WindowDriver::WindowDriver() : m_processId(GetCurrentProcessId()) {}

WindowDriver::WindowDriver(const PROCESS_INFORMATION& process)
    : m_processId(process.dwProcessId), m_process(process.hProcess) {}

WindowDriver::WindowDriver(WindowDriver&& other) noexcept
    : m_processId(other.m_processId), m_process(other.m_process) {
    other.m_process = nullptr;
}

WindowDriver::~WindowDriver() {
    if (!m_process)
        return;
    if (Running())
        Kill();
    CloseHandle(m_process);
}

WindowDriver WindowDriver::Start(const std::string& program, const std::string& arguments,
                                 const std::string& currentDirectory) {
    std::string commandLine = "\"" + program + "\"";
    if (!arguments.empty())
        commandLine += " " + arguments;
    std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        currentDirectory.c_str(), &startup, &process))
        throw std::runtime_error("cannot start " + program + " (error " +
                                 std::to_string(GetLastError()) + ")");
    CloseHandle(process.hThread);
    WindowDriver driver(process);
    WaitForInputIdle(process.hProcess, static_cast<DWORD>(kDefaultTimeout.count()));
    return driver;
}

HWND WindowDriver::FindWindowNow(const WindowQuery& query) const {
    Search search{&query, m_processId, nullptr};
    EnumWindows(CheckTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WindowDriver::WaitForWindow(const WindowQuery& query, Milliseconds timeout) const {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (HWND found = FindWindowNow(query))
            return found;
        if (Clock::now() > deadline)
            throw Timeout("no window of class " + query.className + " titled \"" + query.title +
                          "\" within " + std::to_string(timeout.count()) + " ms");
        std::this_thread::sleep_for(kPollInterval);
    }
}

void WindowDriver::WaitUntilGone(HWND window, Milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (Clock::now() > deadline)
            throw Timeout("window \"" + TitleOf(window) + "\" still open after " +
                          std::to_string(timeout.count()) + " ms");
        std::this_thread::sleep_for(kPollInterval);
    }
}

HWND WindowDriver::Child(HWND parent, int id, const std::string& className) {
    ChildSearch search{id, &className, nullptr};
    EnumChildWindows(parent, CheckChild, reinterpret_cast<LPARAM>(&search));
    if (!search.found)
        throw std::runtime_error("no control " + std::to_string(id) + " " + className + " in \"" +
                                 TitleOf(parent) + "\"");
    return search.found;
}

void WindowDriver::Click(HWND button) {
    PostMessageA(button, BM_CLICK, 0, 0);
}

std::future<bool> WindowDriver::ClickAndTrack(HWND button, Milliseconds timeout) {
    // A sent click returns only when the handler has returned; a thread of its own waits for it.
    // The thread is detached, so a test that gives up on the handler is not held up by it.
    std::packaged_task<bool()> click([button, timeout] {
        DWORD_PTR ignored = 0;
        return SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_NORMAL,
                                   static_cast<UINT>(timeout.count()), &ignored) != 0;
    });
    std::future<bool> handled = click.get_future();
    std::thread(std::move(click)).detach();
    return handled;
}

bool WindowDriver::Finished(std::future<bool>& handler, Milliseconds timeout) {
    return handler.wait_for(timeout) == std::future_status::ready && handler.get();
}

std::string WindowDriver::Text(HWND window) {
    const auto length = static_cast<std::size_t>(Ask(window, WM_GETTEXTLENGTH, 0, 0));
    std::string text(length + 1, '\0');
    const auto copied = static_cast<std::size_t>(
        Ask(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
    text.resize(copied);
    return text;
}

int WindowDriver::ProgressPosition(HWND progressBar) {
    return static_cast<int>(Ask(progressBar, PBM_GETPOS, 0, 0));
}

int WindowDriver::ProgressUpperLimit(HWND progressBar) {
    return static_cast<int>(Ask(progressBar, PBM_GETRANGE, FALSE, 0));
}

HWND WindowDriver::WaitForFileDialog(HWND owner, Milliseconds timeout) const {
    WindowQuery query;
    query.owner = owner;
    query.requiredChild = 0x47C; // the file-name field
    return WaitForWindow(query, timeout);
}

void WindowDriver::ChooseFile(HWND owner, const std::string& windowsPath,
                              Milliseconds timeout) const {
    const HWND dialog = WaitForFileDialog(owner, timeout);
    Ask(GetDlgItem(dialog, 0x47C), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(windowsPath.c_str()));
    Click(Child(dialog, IDOK, "Button"));
    WaitUntilGone(dialog, timeout);
}

void WindowDriver::CancelFileDialog(HWND owner, Milliseconds timeout) const {
    const HWND dialog = WaitForFileDialog(owner, timeout);
    Click(Child(dialog, IDCANCEL, "Button"));
    WaitUntilGone(dialog, timeout);
}

WindowDriver::MessageBoxInfo WindowDriver::WaitForMessageBox(HWND owner,
                                                             Milliseconds timeout) const {
    WindowQuery query;
    query.owner = owner;
    query.requiredChild = 0xFFFF; // the text of a message box
    MessageBoxInfo info;
    info.window = WaitForWindow(query, timeout);
    info.caption = Text(info.window);
    info.text = Text(GetDlgItem(info.window, 0xFFFF));
    if (HWND icon = GetDlgItem(info.window, 0x440))
        info.icon = IdentifyIcon(icon, reinterpret_cast<HICON>(Ask(icon, STM_GETICON, 0, 0)));
    return info;
}

HWND WindowDriver::OwnedDialogNow(HWND owner) const {
    WindowQuery query;
    query.owner = owner;
    return FindWindowNow(query);
}

void WindowDriver::PressOk(HWND messageBox, Milliseconds timeout) {
    Click(Child(messageBox, IDOK, "Button"));
    WaitUntilGone(messageBox, timeout);
}

void WindowDriver::Close(HWND window) {
    PostMessageA(window, WM_CLOSE, 0, 0);
}

DWORD WindowDriver::WaitForExit(Milliseconds timeout) {
    if (!m_process)
        throw std::logic_error("the driver did not start this process");
    if (WaitForSingleObject(m_process, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
        throw Timeout("the program is still running after " + std::to_string(timeout.count()) +
                      " ms");
    DWORD code = 0;
    GetExitCodeProcess(m_process, &code);
    return code;
}

bool WindowDriver::Running() const {
    return m_process && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT;
}

void WindowDriver::Kill() {
    if (!m_process)
        return;
    TerminateProcess(m_process, 1);
    WaitForSingleObject(m_process, static_cast<DWORD>(kDefaultTimeout.count()));
}

std::string WindowDriver::WindowsPath(const std::filesystem::path& path) {
    std::string text = path.string();
    if (text.empty() || text[0] != '/')
        return text;
    for (char& c : text)
        c = c == '/' ? '\\' : c;
    return "Z:" + text;
}

WindowDriver::HeldFile::HeldFile(const std::string& windowsPath)
    : m_file(CreateFileA(windowsPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr)) {
    if (m_file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot hold " + windowsPath + " open (error " +
                                 std::to_string(GetLastError()) + ")");
}

WindowDriver::HeldFile::~HeldFile() {
    CloseHandle(m_file);
}
