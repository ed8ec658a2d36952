#pragma once

#include "CDialog.h"
#include "WindowDriver.h"

#include <functional>

// Runs a dialog modally on this thread, as the application does, while a second thread works its
// window like a person. The person must end the dialog; its failures are reported by gtest.
void RunModalWithPerson(CDialog& dlg, const std::function<void(WindowDriver&, HWND)>& person);
