#pragma once

#include "KeldarinProcess.h"

#include <string>

// What a person sees of the main window at one moment, in a form that two moments (or two runs)
// can be compared by: every control's id, class, text and place, the meters, the focus, and the
// window's own caption, size and state.
struct MainWindowState {
    std::string text;

    static MainWindowState Of(const KeldarinProcess& keldarin);
    bool operator==(const MainWindowState& other) const { return text == other.text; }
};

inline std::ostream& operator<<(std::ostream& out, const MainWindowState& state) {
    return out << state.text;
}
