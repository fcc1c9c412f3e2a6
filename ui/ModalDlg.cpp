#include "ui/ModalDlg.h"

int ModalDlg::filterMessage(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}

int ModalDlg::onInitDialog(HWND)
{
    return 1;
}

int ModalDlg::onCommand(HWND hDlg, WPARAM wParam, LPARAM)
{
    // A nonzero high word is an edit notification or an accelerator, never a
    // click, so it must not confirm or dismiss the dialog.
    if (HIWORD(wParam) != 0) {
        return 1;
    }
    switch (LOWORD(wParam)) {
    case IDOK:
        apply();
        EndDialog(hDlg, IDOK);
        break;
    case IDCANCEL:
        EndDialog(hDlg, IDCANCEL);
        break;
    default:
        break;
    }
    return 1;
}

int ModalDlg::onSysCommand(HWND, WPARAM, LPARAM)
{
    return 0;
}

int ModalDlg::canClose()
{
    return 1;
}

void ModalDlg::apply() {}

INT_PTR ModalDlg::dialogProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (filterMessage(hDlg, msg, wParam, lParam) != 0) {
        return 1;
    }
    switch (msg) {
    case WM_CLOSE:
        if (canClose() != 0) {
            EndDialog(hDlg, IDCANCEL);
        }
        return 1;
    case WM_INITDIALOG:
        m_hDlg = hDlg;
        onInitDialog(hDlg);
        return 1;
    case WM_COMMAND:
        return onCommand(hDlg, wParam, lParam);
    case WM_SYSCOMMAND:
        return onSysCommand(hDlg, wParam, lParam);
    default:
        return 0;
    }
}

INT_PTR ModalDlg::runModal(HWND parent, WORD templateId)
{
    // A Unicode dialog, so that its controls take text in any script.
    return DialogBoxParamW(GetModuleHandleA(nullptr), MAKEINTRESOURCEW(templateId), parent, staticDialogProc,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK ModalDlg::staticDialogProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_DESTROY) {
        // The caller may destroy the object as soon as the modal loop returns,
        // so WM_NCDESTROY and anything after it must find no object to call.
        SetWindowLongPtrA(hDlg, GWLP_USERDATA, 0);
        return 1;
    }
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrA(hDlg, GWLP_USERDATA, lParam);
    }
    auto* self = reinterpret_cast<ModalDlg*>(GetWindowLongPtrA(hDlg, GWLP_USERDATA));
    if (self == nullptr) {
        return 0;
    }
    return self->dialogProc(hDlg, msg, wParam, lParam);
}
