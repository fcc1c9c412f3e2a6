#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/ui/DialogScript.h"
#include "ui/AddContactDlg.h"

namespace {

INT_PTR RunDialog(AddContactDlg& dlg, std::vector<DialogStage> stages)
{
    size_t ran = 0;
    const size_t wanted = stages.size();
    const INT_PTR result = RunScripted(dlg, nullptr, IDD_CONTACT, "Ringlock Contact", std::move(stages), &ran);
    EXPECT_EQ(ran, wanted) << "the dialog ended before all its stages ran";
    return result;
}

std::string EditText(HWND dialog)
{
    char text[400] = {};
    GetDlgItemTextA(dialog, IDC_COMMAND, text, sizeof(text));
    return text;
}

void Click(HWND dialog, int id)
{
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// Keys go through the platform's modal loop, as typed ones do.
void PostKey(HWND dialog, UINT vk)
{
    HWND edit = GetDlgItem(dialog, IDC_COMMAND);
    const UINT scan = MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
    PostMessageA(edit, WM_KEYDOWN, vk, static_cast<LPARAM>(1 | (scan << 16)));
    PostMessageA(edit, WM_KEYUP, vk, static_cast<LPARAM>(1 | (scan << 16) | 0xC0000000u));
}

void TypeChars(HWND dialog, const char* text)
{
    HWND edit = GetDlgItem(dialog, IDC_COMMAND);
    for (const char* c = text; *c != '\0'; ++c) {
        PostMessageA(edit, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(*c)), 1);
    }
}

TEST(AddContactDlgTest, StartsEmptyAndOkReturnsTheTypedText)
{
    AddContactDlg dlg;
    EXPECT_EQ(std::string(dlg.m_name, sizeof(dlg.m_name)), std::string(sizeof(dlg.m_name), '\0'));
    std::string atOpen = "not read";
    EXPECT_EQ(RunDialog(dlg, {[&](HWND d) {
                            atOpen = EditText(d);
                            TypeChars(d, "echo123");
                        },
                        [](HWND d) { Click(d, IDOK); }}),
              1);
    EXPECT_EQ(atOpen, "");
    EXPECT_STREQ(dlg.m_name, "echo123");
}

TEST(AddContactDlgTest, EditBoxOpensWithTheNameAndHasTheFocus)
{
    AddContactDlg dlg;
    std::strcpy(dlg.m_name, "+15551234567");
    std::string atOpen;
    bool editFocused = false;
    EXPECT_EQ(RunDialog(dlg, {[&](HWND d) {
                  atOpen = EditText(d);
                  editFocused = GetFocus() == GetDlgItem(d, IDC_COMMAND);
                  Click(d, IDOK);
              }}),
              1);
    EXPECT_EQ(atOpen, "+15551234567");
    EXPECT_TRUE(editFocused);
    EXPECT_STREQ(dlg.m_name, "+15551234567");
}

TEST(AddContactDlgTest, EnterConfirmsTheText)
{
    AddContactDlg dlg;
    std::strcpy(dlg.m_name, "old.name");
    EXPECT_EQ(RunDialog(dlg, {[](HWND d) {
                  SetDlgItemTextA(d, IDC_COMMAND, "alice.b");
                  PostKey(d, VK_RETURN);
              }}),
              1);
    EXPECT_STREQ(dlg.m_name, "alice.b");
}

TEST(AddContactDlgTest, EscapeAndCancelLeaveTheNameUnchanged)
{
    AddContactDlg escaped;
    std::strcpy(escaped.m_name, "bob");
    EXPECT_EQ(RunDialog(escaped, {[](HWND d) {
                  SetDlgItemTextA(d, IDC_COMMAND, "changed");
                  PostKey(d, VK_ESCAPE);
              }}),
              2);
    EXPECT_STREQ(escaped.m_name, "bob");

    AddContactDlg cancelled;
    std::strcpy(cancelled.m_name, "bob");
    EXPECT_EQ(RunDialog(cancelled, {[](HWND d) {
                  SetDlgItemTextA(d, IDC_COMMAND, "changed");
                  Click(d, IDCANCEL);
              }}),
              2);
    EXPECT_STREQ(cancelled.m_name, "bob");
}

TEST(AddContactDlgTest, CloseBoxAndCloseLeaveTheNameUnchanged)
{
    for (const bool closeBox : {true, false}) {
        SCOPED_TRACE(closeBox ? "SC_CLOSE" : "WM_CLOSE");
        AddContactDlg dlg;
        std::strcpy(dlg.m_name, "carol");
        EXPECT_EQ(RunDialog(dlg, {[closeBox](HWND d) {
                      SetDlgItemTextA(d, IDC_COMMAND, "changed");
                      if (closeBox) {
                          SendMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0);
                      } else {
                          SendMessageA(d, WM_CLOSE, 0, 0);
                      }
                  }}),
                  2);
        EXPECT_STREQ(dlg.m_name, "carol");
    }
}

TEST(AddContactDlgTest, OkWithAnEmptyBoxReturnsAnEmptyName)
{
    AddContactDlg dlg;
    std::strcpy(dlg.m_name, "dave");
    EXPECT_EQ(RunDialog(dlg, {[](HWND d) {
                  SetDlgItemTextA(d, IDC_COMMAND, "");
                  Click(d, IDOK);
              }}),
              1);
    EXPECT_STREQ(dlg.m_name, "");
}

TEST(AddContactDlgTest, NameOf259CharactersComesBackAs258)
{
    AddContactDlg dlg;
    std::string name;
    for (int i = 0; i < 259; ++i) {
        name += static_cast<char>('a' + i % 26);
    }
    std::memcpy(dlg.m_name, name.c_str(), name.size() + 1);
    std::string atOpen;
    EXPECT_EQ(RunDialog(dlg, {[&](HWND d) {
                  atOpen = EditText(d);
                  Click(d, IDOK);
              }}),
              1);
    EXPECT_EQ(atOpen, name);
    EXPECT_EQ(std::string(dlg.m_name), name.substr(0, 258));
}

TEST(AddContactDlgTest, LongerTypedTextIsCutTo258)
{
    AddContactDlg dlg;
    const std::string typed(300, 'z');
    EXPECT_EQ(RunDialog(dlg, {[&](HWND d) {
                  SetDlgItemTextA(d, IDC_COMMAND, typed.c_str());
                  Click(d, IDOK);
              }}),
              1);
    EXPECT_EQ(std::string(dlg.m_name), typed.substr(0, 258));
}

TEST(AddContactDlgTest, AcceleratorForOkDoesNothing)
{
    AddContactDlg dlg;
    std::strcpy(dlg.m_name, "erin");
    bool openAfter = false;
    EXPECT_EQ(RunDialog(dlg, {[](HWND d) {
                            SetDlgItemTextA(d, IDC_COMMAND, "changed");
                            SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDOK, 1), 0);
                        },
                        [&](HWND d) {
                            openAfter = IsWindowVisible(d) != FALSE;
                            Click(d, IDCANCEL);
                        }}),
              2);
    EXPECT_TRUE(openAfter);
    EXPECT_STREQ(dlg.m_name, "erin");
}

}  // namespace

