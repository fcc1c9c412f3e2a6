#ifndef RINGLOCK_TESTS_SUPPORT_LISTROWS_H
#define RINGLOCK_TESTS_SUPPORT_LISTROWS_H

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "ui/ListView.h"

// Every row of a list view in this process, read as the program reads it.
// Header-only: the support library does not link the program's list helpers.
inline std::vector<std::string> ListRows(HWND list)
{
    std::vector<std::string> rows;
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        rows.push_back(ListGetRowText(list, i));
    }
    return rows;
}

#endif
