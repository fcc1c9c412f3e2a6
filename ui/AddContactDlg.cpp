#include "ui/AddContactDlg.h"

#include "res/resource.h"
#include "ui/WideText.h"

namespace {

// One less than the buffer: at most 258 characters and the NUL are kept.
constexpr int kNameReadCount = 259;

}  // namespace

int AddContactDlg::onInitDialog(HWND hDlg)
{
    SetDlgItemTextW(hDlg, IDC_COMMAND, m_name);
    return 1;
}

void AddContactDlg::apply()
{
    const UINT length = GetDlgItemTextW(m_hDlg, IDC_COMMAND, m_name, kNameReadCount);
    m_name[WholeCharacters(m_name, length)] = L'\0';
}
