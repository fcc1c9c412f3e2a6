#ifndef RINGLOCK_TESTS_UI_DIALOGSCRIPT_H
#define RINGLOCK_TESTS_UI_DIALOGSCRIPT_H

#include <windows.h>

#include <functional>
#include <vector>

#include "ui/ModalDlg.h"

using DialogStage = std::function<void(HWND dialog)>;

// What RunScripted hands back when the dialog was still open after its last
// stage and a few seconds more, and had to be ended by force.
constexpr INT_PTR kDialogTimedOut = 77;

// Runs `dlg` modally on the calling thread from template `templateId`, owned
// by `parent`. A thread timer, serviced by the platform's own modal loop, runs
// one stage per tick once the visible dialog (titled `title`) exists; each
// stage gets the dialog window. Returns what ModalDlg::runModal returned;
// `stagesRun` receives how many stages ran.
INT_PTR RunScripted(ModalDlg& dlg, HWND parent, WORD templateId, const char* title,
                    std::vector<DialogStage> stages, size_t* stagesRun);

#endif
