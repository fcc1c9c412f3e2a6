#include "ui/ListView.h"

#include <commctrl.h>

int ListInsertColumn(HWND list, int column, const char* caption, int width)
{
    LVCOLUMNA col{};
    col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    col.fmt = LVCFMT_LEFT;
    col.cx = width;
    col.pszText = const_cast<char*>(caption);
    return static_cast<int>(SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(column),
                                         reinterpret_cast<LPARAM>(&col)));
}

int ListColumnWidth(HWND list)
{
    RECT client{};
    GetClientRect(list, &client);
    return MulDiv(client.right, LIST_COLUMN_WIDTH, LIST_WIDTH_AT_96_DPI);
}

void ListAppendRow(HWND list, const char* text, int maxRows)
{
    if (list == nullptr || text == nullptr) {
        return;
    }
    const LRESULT count = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(count);
    item.pszText = const_cast<char*>(text);
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(count), FALSE);
    if (maxRows > 0 && SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) > maxRows) {
        SendMessageA(list, LVM_DELETEITEM, 0, 0);
    }
}

std::string ListGetRowText(HWND list, int index)
{
    if (index < 0) {
        return std::string();
    }
    char buffer[LIST_ROW_TEXT_SIZE] = {};
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = buffer;
    item.cchTextMax = LIST_ROW_TEXT_SIZE;
    SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    // The control may point pszText at its own storage instead of copying.
    if (item.pszText == nullptr || item.pszText == LPSTR_TEXTCALLBACKA) {
        return std::string();
    }
    const char* text = item.pszText;
    size_t length = 0;
    while (length < LIST_ROW_TEXT_SIZE - 1 && text[length] != '\0') {
        ++length;
    }
    return std::string(text, length);
}

void ListSetRowText(HWND list, int index, const char* text)
{
    if (index < 0) {
        return;
    }
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = const_cast<char*>(text);
    item.cchTextMax = static_cast<int>(lstrlenA(text) + 1);
    SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}
