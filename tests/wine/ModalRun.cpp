#include "ModalRun.h"

#include "CWinApp.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <thread>

void RunModalWithPerson(CDialog& dlg, const std::function<void(WindowDriver&, HWND)>& person) {
    // As in the application: the file dialog and the message boxes belong to the main window.
    AfxGetApp()->m_pMainWnd = &dlg;
    std::thread thread([&person] {
        WindowDriver driver;
        WindowDriver::WindowQuery mainQuery;
        mainQuery.title = "Keldarin";
        mainQuery.requiredChild = IDC_CLONE;
        HWND main = nullptr;
        try {
            main = driver.WaitForWindow(mainQuery);
            person(driver, main);
        } catch (const std::exception& error) {
            ADD_FAILURE() << error.what();
        }
        if (main)
            WindowDriver::Close(main);
    });
    dlg.DoModal();
    thread.join();
    AfxGetApp()->m_pMainWnd = nullptr;
}
