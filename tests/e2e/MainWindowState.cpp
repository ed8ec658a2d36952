#include "MainWindowState.h"

#include <commctrl.h>

#include <sstream>

namespace {

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

void DescribeRect(std::ostringstream& out, const RECT& rect) {
    out << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
}

} // namespace

MainWindowState MainWindowState::Of(const KeldarinProcess& keldarin) {
    const HWND main = keldarin.Main();
    std::ostringstream out;
    RECT client;
    GetClientRect(main, &client);
    out << "caption \"" << WindowDriver::Text(main) << "\" client ";
    DescribeRect(out, client);
    out << " visible " << IsWindowVisible(main) << " enabled " << IsWindowEnabled(main)
        << " minimised " << IsIconic(main) << " focus " << GetDlgCtrlID(keldarin.Focus()) << "\n";
    for (HWND control : keldarin.Controls()) {
        RECT rect;
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&rect), 2);
        out << GetDlgCtrlID(control) << " " << ClassOf(control) << " \""
            << WindowDriver::Text(control) << "\" ";
        DescribeRect(out, rect);
        out << " style " << std::hex << GetWindowLongA(control, GWL_STYLE) << std::dec;
        if (ClassOf(control) == PROGRESS_CLASSA)
            out << " at " << WindowDriver::ProgressPosition(control) << " of "
                << WindowDriver::ProgressUpperLimit(control);
        out << "\n";
    }
    return {out.str()};
}
