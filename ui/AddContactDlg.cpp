#include "ui/AddContactDlg.h"

#include "res/resource.h"
#include "ui/WideText.h"

int AddContactDlg::onInitDialog(HWND hDlg)
{
    SetDlgItemTextW(hDlg, IDC_COMMAND, m_name);
    return 1;
}

void AddContactDlg::apply()
{
    // One less than the buffer: the dialog keeps a character fewer than a row holds.
    const UINT length = GetDlgItemTextW(m_hDlg, IDC_COMMAND, m_name, ROW_TEXT_MAX_UNITS);
    m_name[WholeCharacters(m_name, length)] = L'\0';
}
