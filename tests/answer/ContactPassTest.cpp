#include <windows.h>
#include <commctrl.h>

#include <string>

#include <gtest/gtest.h>

#include "answer/Engine.h"
#include "tests/answer/AnswerFixture.h"

namespace {

// Counts the rows the engine reads from the real contacts list view.
class ContactPassTest : public AnswerTest {
protected:
    void SetUp() override
    {
        AnswerTest::SetUp();
        ASSERT_TRUE(SetWindowSubclass(host_->contacts(), CountRowReads, 1, reinterpret_cast<DWORD_PTR>(&rowReads_)));
        host_->setContacts({"somebody", "other", "third"});
        Notify("CALL 502 STATUS RINGING");
        rowReads_ = 0;
    }

    void TearDown() override
    {
        RemoveWindowSubclass(host_->contacts(), CountRowReads, 1);
        AnswerTest::TearDown();
    }

    static LRESULT CALLBACK CountRowReads(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR counter)
    {
        if (msg == LVM_GETITEMA) {
            ++*reinterpret_cast<int*>(counter);
        }
        return DefSubclassProc(window, msg, wParam, lParam);
    }

    int rowReads_ = 0;
};

TEST_F(ContactPassTest, MessagesThatCannotBeThePartnerReplyOfTheRingingCallReadNoRow)
{
    for (const char* message : {"USER somebody ONLINESTATUS ONLINE", "CALL 502 DURATION 3", "CALL 502 STATUS RINGING",
                                "CALL 5021 PARTNER_HANDLE somebody", "CALL 50 PARTNER_HANDLE somebody",
                                "CALL 502 PARTNER_HANDLE", "CALL 502 PARTNER_HANDLEsomebody",
                                "call 502 PARTNER_HANDLE somebody", "CALL 502  PARTNER_HANDLE somebody"}) {
        Notify(message);
        EXPECT_EQ(rowReads_, 0) << message;
    }
    EXPECT_FALSE(Armed(TIMER_ANSWER));
    EXPECT_EQ(g_callState.answerPending, 0);
}

TEST_F(ContactPassTest, PartnerRepliesOfTheRingingCallStillReadEveryRow)
{
    Notify("CALL 502 PARTNER_HANDLE nobody");
    EXPECT_EQ(rowReads_, 3);
    Notify("CALL 502 PARTNER_HANDLE ");
    EXPECT_EQ(rowReads_, 6);
    EXPECT_FALSE(Armed(TIMER_ANSWER));

    Notify("CALL 502 PARTNER_HANDLE other");
    EXPECT_EQ(rowReads_, 9);
    EXPECT_TRUE(Armed(TIMER_ANSWER));
    EXPECT_STREQ(g_callState.answeredCallId, "502");
}

}  // namespace
