#ifndef RINGLOCK_UI_ADDCONTACTDLG_H
#define RINGLOCK_UI_ADDCONTACTDLG_H

#include "ui/ModalDlg.h"

// The dialog in which the user types or corrects one contact.
class AddContactDlg final : public ModalDlg {
public:
    int onInitDialog(HWND hDlg) override;
    void apply() override;

    wchar_t m_name[260] = {};
};

#endif
