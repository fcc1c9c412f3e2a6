#ifndef RINGLOCK_UI_ADDCONTACTDLG_H
#define RINGLOCK_UI_ADDCONTACTDLG_H

#include "ui/ModalDlg.h"
#include "ui/TextLimits.h"

// The dialog in which the user types or corrects one contact.
class AddContactDlg final : public ModalDlg {
public:
    int onInitDialog(HWND hDlg) override;
    void apply() override;

    wchar_t m_name[ROW_TEXT_MAX_UNITS + 1] = {};
};

#endif
