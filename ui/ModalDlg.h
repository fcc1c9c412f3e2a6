#ifndef RINGLOCK_UI_MODALDLG_H
#define RINGLOCK_UI_MODALDLG_H

#include <windows.h>

// Runs an object as a modal dialog from a template; one shared dialog
// procedure finds the object through the user-data slot.
class ModalDlg {
public:
    ModalDlg() = default;
    ModalDlg(const ModalDlg&) = delete;
    ModalDlg& operator=(const ModalDlg&) = delete;

    virtual int filterMessage(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);
    virtual int onInitDialog(HWND hDlg);
    virtual int onCommand(HWND hDlg, WPARAM wParam, LPARAM lParam);
    virtual int onSysCommand(HWND hDlg, WPARAM wParam, LPARAM lParam);
    virtual int canClose();
    virtual void apply();
    virtual INT_PTR dialogProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);

    INT_PTR runModal(HWND parent, WORD templateId);
    static INT_PTR CALLBACK staticDialogProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND m_hDlg = nullptr;

protected:
    ~ModalDlg() = default;
};

#endif
