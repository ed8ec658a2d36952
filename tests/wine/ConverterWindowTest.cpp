// What the main dialog adds to its window, read from inside the process, where the system menu
// and icon handles can be asked for directly.
#include "CConverterDlg.h"
#include "ModalRun.h"

#include <gtest/gtest.h>

#include <string>

TEST(ConverterWindow, SystemMenuEndsWithASeparatorAndTheAboutEntry) {
    std::string lastText;
    UINT lastId = 0;
    UINT typeBefore = 0;
    CConverterDlg dlg;
    RunModalWithPerson(dlg, [&](WindowDriver&, HWND main) {
        HMENU menu = GetSystemMenu(main, FALSE);
        const int count = GetMenuItemCount(menu);
        ASSERT_GE(count, 2);
        char text[100] = {};
        GetMenuStringA(menu, count - 1, text, sizeof text, MF_BYPOSITION);
        lastText = text;
        lastId = GetMenuItemID(menu, count - 1);
        MENUITEMINFOA before = {};
        before.cbSize = sizeof before;
        before.fMask = MIIM_FTYPE;
        GetMenuItemInfoA(menu, count - 2, TRUE, &before);
        typeBefore = before.fType;
    });
    EXPECT_EQ(lastText, "Inf&o \xFC"
                        "ber Keldarin...");
    EXPECT_EQ(lastId, 0x0010u);
    EXPECT_TRUE(typeBefore & MFT_SEPARATOR);
}

TEST(ConverterWindow, CarriesTheApplicationIconAndOffersItForDragging) {
    const HICON appIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_NE(appIcon, nullptr);
    LRESULT big = 0, small = 0, drag = 0;
    CConverterDlg dlg;
    RunModalWithPerson(dlg, [&](WindowDriver&, HWND main) {
        big = SendMessageA(main, WM_GETICON, ICON_BIG, 0);
        small = SendMessageA(main, WM_GETICON, ICON_SMALL, 0);
        ShowWindow(main, SW_MINIMIZE);
        drag = SendMessageA(main, WM_QUERYDRAGICON, 0, 0);
    });
    EXPECT_EQ(reinterpret_cast<HICON>(big), appIcon);
    EXPECT_EQ(reinterpret_cast<HICON>(small), appIcon);
    EXPECT_EQ(reinterpret_cast<HICON>(drag), appIcon);
}
