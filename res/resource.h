#ifndef RINGLOCK_RES_RESOURCE_H
#define RINGLOCK_RES_RESOURCE_H

// Shared by the resource script and the code, so plain #defines only.
// The dialogs' captions; the code names them in app/MainDialog.h.
#define MAIN_DIALOG_CAPTION "Skype Ringlock"
#define CONTACT_DIALOG_CAPTION "Ringlock Contact"

#define IDD_MAIN 101
#define IDD_CONTACT 102
#define IDI_APP 200

#define IDC_LOG 1001
#define IDC_CONTACTS 1002
#define IDC_SEND 1003
#define IDC_COMMAND 1005
#define IDC_HINT 1010
#define IDC_CONTACT_LABEL 1011
#define IDC_START_VIDEO 1015
#define IDC_QUIET_MEDIA 1016

#endif
