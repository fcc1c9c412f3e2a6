#include "ui/ListView.h"

#include <commctrl.h>

#include "ui/WideText.h"

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

// The client area leaves out the scroll bars that show.
void ListFitColumn(HWND list)
{
    RECT client{};
    GetClientRect(list, &client);
    if (SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0) != client.right) {
        SendMessageA(list, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(client.right, 0));
    }
}

void ListAppendRow(HWND list, const char* text, int maxRows)
{
    if (list == nullptr || text == nullptr) {
        return;
    }
    WideText wide = WidenText(text);
    const LRESULT count = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(count);
    item.pszText = wide.data();
    SendMessageA(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(count), FALSE);
    if (maxRows > 0 && SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) > maxRows) {
        SendMessageA(list, LVM_DELETEITEM, 0, 0);
    }
    ListFitColumn(list);
}

std::string ListGetRowText(HWND list, int index)
{
    if (index < 0) {
        return std::string();
    }
    wchar_t buffer[LIST_ROW_TEXT_SIZE] = {};
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = buffer;
    item.cchTextMax = LIST_ROW_TEXT_SIZE;
    SendMessageA(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    // The control may point pszText at its own storage instead of copying.
    if (item.pszText == nullptr || item.pszText == LPSTR_TEXTCALLBACKW) {
        return std::string();
    }
    const wchar_t* text = item.pszText;
    size_t length = 0;
    while (length < LIST_ROW_TEXT_SIZE - 1 && text[length] != L'\0') {
        ++length;
    }
    return Utf8FromWide(text, WholeCharacters(text, length));
}

int ListSelectedRow(HWND list)
{
    return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void ListSetRowText(HWND list, int index, const char* text)
{
    if (index < 0) {
        return;
    }
    WideText wide = WidenText(text);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = wide.data();
    item.cchTextMax = static_cast<int>(wide.size());
    SendMessageA(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}
