#include <windows.h>

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/ui/DialogScript.h"
#include "ui/ModalDlg.h"

namespace {

constexpr char kTitle[] = "Ringlock Contact";

INT_PTR RunDialog(ModalDlg& dlg, std::vector<DialogStage> stages, HWND parent = nullptr)
{
    size_t ran = 0;
    const size_t wanted = stages.size();
    const INT_PTR result = RunScripted(dlg, parent, IDD_CONTACT, kTitle, std::move(stages), &ran);
    EXPECT_EQ(ran, wanted) << "the dialog ended before all its stages ran";
    return result;
}

void Command(HWND dialog, WORD id, WORD code = 0)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Keeps every message that reaches the object, and counts apply calls.
class RecordingDlg : public ModalDlg {
public:
    int filterMessage(HWND, UINT msg, WPARAM, LPARAM) override
    {
        seen.push_back(msg);
        return 0;
    }
    void apply() override { ++applied; }

    std::vector<UINT> seen;
    int applied = 0;
};

TEST(ModalDlgTest, OkAppliesAndEndsWithOne)
{
    RecordingDlg dlg;
    EXPECT_EQ(RunDialog(dlg, {[](HWND d) { SendMessageA(GetDlgItem(d, IDOK), BM_CLICK, 0, 0); }}), 1);
    EXPECT_EQ(dlg.applied, 1);
}

TEST(ModalDlgTest, CancelButtonEndsWithTwoWithoutApplying)
{
    RecordingDlg dlg;
    EXPECT_EQ(RunDialog(dlg, {[](HWND d) { SendMessageA(GetDlgItem(d, IDCANCEL), BM_CLICK, 0, 0); }}), 2);
    EXPECT_EQ(dlg.applied, 0);
}

TEST(ModalDlgTest, CloseBoxAndCloseMessageEndWithTwo)
{
    RecordingDlg viaSysCommand;
    EXPECT_EQ(RunDialog(viaSysCommand, {[](HWND d) { SendMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }}), 2);
    EXPECT_EQ(viaSysCommand.applied, 0);

    RecordingDlg viaClose;
    EXPECT_EQ(RunDialog(viaClose, {[](HWND d) { SendMessageA(d, WM_CLOSE, 0, 0); }}), 2);
    EXPECT_EQ(viaClose.applied, 0);
}

TEST(ModalDlgTest, CommandWithNonzeroHighWordDoesNothing)
{
    RecordingDlg dlg;
    bool openAfter = false;
    EXPECT_EQ(RunDialog(dlg, {[](HWND d) { Command(d, IDOK, 1); },
                        [](HWND d) { Command(d, IDCANCEL, EN_CHANGE); },
                        [&](HWND d) {
                            openAfter = IsWindowVisible(d) != FALSE;
                            Command(d, IDCANCEL);
                        }}),
              2);
    EXPECT_TRUE(openAfter);
    EXPECT_EQ(dlg.applied, 0);
}

TEST(ModalDlgTest, OtherCommandsKeepTheDialogOpen)
{
    RecordingDlg dlg;
    bool openAfter = false;
    EXPECT_EQ(RunDialog(dlg, {[](HWND d) { Command(d, IDC_COMMAND); },
                        [&](HWND d) {
                            openAfter = IsWindowVisible(d) != FALSE;
                            Command(d, IDCANCEL);
                        }}),
              2);
    EXPECT_TRUE(openAfter);
}

TEST(ModalDlgTest, ObjectSeesMessagesFromInitDialogUntilBeforeDestroy)
{
    RecordingDlg dlg;
    HWND window = nullptr;
    LONG_PTR slotWhileOpen = 0;
    EXPECT_EQ(RunDialog(dlg, {[&](HWND d) {
                  window = d;
                  slotWhileOpen = GetWindowLongPtrA(d, GWLP_USERDATA);
                  Command(d, IDCANCEL);
              }}),
              2);
    EXPECT_EQ(slotWhileOpen, reinterpret_cast<LONG_PTR>(&dlg));
    ASSERT_FALSE(dlg.seen.empty());
    EXPECT_EQ(dlg.seen.front(), static_cast<UINT>(WM_INITDIALOG));
    EXPECT_EQ(std::count(dlg.seen.begin(), dlg.seen.end(), static_cast<UINT>(WM_DESTROY)), 0);
    EXPECT_EQ(std::count(dlg.seen.begin(), dlg.seen.end(), static_cast<UINT>(WM_NCDESTROY)), 0);
    EXPECT_EQ(dlg.m_hDlg, window);
    EXPECT_FALSE(IsWindow(window));
}

// Reads the user-data slot of the watched window as each message to it
// returns, so the slot is seen after WM_DESTROY while the window still exists.
HWND g_watched = nullptr;
LONG_PTR g_slotAfterDestroy = -1;
LONG_PTR g_slotAtNcDestroy = -1;

LRESULT CALLBACK WatchReturns(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* ret = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && ret->hwnd == g_watched && g_watched != nullptr) {
        if (ret->message == WM_DESTROY) {
            g_slotAfterDestroy = GetWindowLongPtrA(ret->hwnd, GWLP_USERDATA);
        } else if (ret->message == WM_NCDESTROY) {
            g_slotAtNcDestroy = GetWindowLongPtrA(ret->hwnd, GWLP_USERDATA);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(ModalDlgTest, UserDataSlotIsClearedWhenTheDialogIsDestroyed)
{
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROCRET, WatchReturns, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    g_slotAfterDestroy = -1;
    g_slotAtNcDestroy = -1;
    RecordingDlg dlg;
    LONG_PTR slotWhileOpen = 0;
    EXPECT_EQ(RunDialog(dlg, {[&](HWND d) {
                  g_watched = d;
                  slotWhileOpen = GetWindowLongPtrA(d, GWLP_USERDATA);
                  Command(d, IDOK);
              }}),
              1);
    UnhookWindowsHookEx(hook);
    g_watched = nullptr;
    EXPECT_EQ(slotWhileOpen, reinterpret_cast<LONG_PTR>(&dlg));
    EXPECT_EQ(g_slotAfterDestroy, 0);
    EXPECT_EQ(g_slotAtNcDestroy, 0);
}

// Takes WM_INITDIALOG and IDOK away from the base rules.
class FilteringDlg : public ModalDlg {
public:
    int filterMessage(HWND, UINT msg, WPARAM wParam, LPARAM) override
    {
        return msg == WM_INITDIALOG || (msg == WM_COMMAND && LOWORD(wParam) == IDOK) ? 1 : 0;
    }
    int onInitDialog(HWND) override
    {
        initCalled = true;
        return 1;
    }
    void apply() override { applied = true; }

    bool initCalled = false;
    bool applied = false;
};

TEST(ModalDlgTest, FilterTakesMessagesBeforeTheBaseRules)
{
    FilteringDlg dlg;
    bool storedWhileOpen = true;
    bool openAfterOk = false;
    EXPECT_EQ(RunDialog(dlg, {[&](HWND d) {
                            storedWhileOpen = dlg.m_hDlg != nullptr;
                            Command(d, IDOK);
                        },
                        [&](HWND d) {
                            openAfterOk = IsWindowVisible(d) != FALSE;
                            Command(d, IDCANCEL);
                        }}),
              2);
    EXPECT_FALSE(storedWhileOpen);
    EXPECT_FALSE(dlg.initCalled);
    EXPECT_TRUE(openAfterOk);
    EXPECT_FALSE(dlg.applied);
    EXPECT_EQ(dlg.m_hDlg, nullptr);
}

class KeepOpenDlg : public ModalDlg {
public:
    int canClose() override
    {
        ++asked;
        return 0;
    }

    int asked = 0;
};

TEST(ModalDlgTest, CanCloseReturningZeroKeepsTheDialogOpen)
{
    KeepOpenDlg dlg;
    bool openAfterClose = false;
    bool openAfterCloseBox = false;
    int askedAfterClose = 0;
    EXPECT_EQ(RunDialog(dlg, {[](HWND d) { SendMessageA(d, WM_CLOSE, 0, 0); },
                        [&](HWND d) {
                            openAfterClose = IsWindowVisible(d) != FALSE;
                            askedAfterClose = dlg.asked;
                            SendMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0);
                        },
                        [&](HWND d) {
                            openAfterCloseBox = IsWindowVisible(d) != FALSE;
                            Command(d, IDCANCEL);
                        }}),
              2);
    EXPECT_TRUE(openAfterClose);
    EXPECT_EQ(askedAfterClose, 1);
    EXPECT_TRUE(openAfterCloseBox);
    EXPECT_EQ(dlg.asked, 2);
}

TEST(ModalDlgTest, ParentIsTheOwnerAndIsDisabledWhileTheDialogRuns)
{
    HWND parent = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    RecordingDlg dlg;
    HWND owner = nullptr;
    bool parentEnabled = true;
    EXPECT_EQ(RunDialog(
                  dlg,
                  {[&](HWND d) {
                      owner = GetWindow(d, GW_OWNER);
                      parentEnabled = IsWindowEnabled(parent) != FALSE;
                      Command(d, IDCANCEL);
                  }},
                  parent),
              2);
    EXPECT_EQ(owner, parent);
    EXPECT_FALSE(parentEnabled);
    EXPECT_TRUE(IsWindowEnabled(parent));
    DestroyWindow(parent);
}

TEST(ModalDlgTest, MissingTemplateGivesThePlatformFailure)
{
    RecordingDlg dlg;
    EXPECT_EQ(dlg.runModal(nullptr, 4321), -1);
    EXPECT_TRUE(dlg.seen.empty());
}

}  // namespace
