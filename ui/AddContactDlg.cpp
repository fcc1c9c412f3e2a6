#include "ui/AddContactDlg.h"

#include "res/resource.h"

namespace {

// One less than the buffer: at most 258 characters and the NUL are kept.
constexpr int kNameReadCount = 259;

}  // namespace

int AddContactDlg::onInitDialog(HWND hDlg)
{
    SetDlgItemTextA(hDlg, IDC_COMMAND, m_name);
    return 1;
}

void AddContactDlg::apply()
{
    GetDlgItemTextA(m_hDlg, IDC_COMMAND, m_name, kNameReadCount);
}
