#include "tests/answer/AnswerFixture.h"

#include "answer/Engine.h"
#include "answer/Media.h"
#include "app/AppState.h"
#include "tests/support/Pump.h"

StandinClient& Client()
{
    static StandinClient client;
    return client;
}

MediaStandin& Players()
{
    static MediaStandin players;
    return players;
}

const ExpectedPost kMinimizeWmp{MediaPlayer::Wmp, WM_SYSCOMMAND, 0xF020, 0};
const ExpectedPost kMinimizeWmc{MediaPlayer::Wmc, WM_SYSCOMMAND, 0xF020, 0};
const ExpectedPost kPauseWmp{MediaPlayer::Wmp, WM_COMMAND, 0x14978, 0};
const ExpectedPost kPauseWmc{MediaPlayer::Wmc, WM_APPCOMMAND, 0, 0x2F0000};
const ExpectedPost kMuteWmp{MediaPlayer::Wmp, WM_COMMAND, 0x14981, 0};

void ExpectPosts(const std::vector<ExpectedPost>& expected)
{
    ASSERT_TRUE(Players().sync());
    const std::vector<MediaMessage> got = Players().messages();
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE("message " + std::to_string(i) + " to " + (expected[i].player == MediaPlayer::Wmp ? "WMP" : "WMC"));
        EXPECT_EQ(got[i].player, expected[i].player);
        EXPECT_EQ(got[i].msg, expected[i].msg);
        EXPECT_EQ(got[i].wParam, expected[i].wParam);
        EXPECT_EQ(got[i].lParam, expected[i].lParam);
        EXPECT_TRUE(got[i].posted);
    }
}

namespace {

class AnswerEnvironment : public ::testing::Environment {
public:
    // The second process of TimerFailureTest serves a dialog only: a client
    // or players there would answer this process's discovery and searches.
    void SetUp() override
    {
        if (RemoteHost::InChild()) {
            return;
        }
        ASSERT_TRUE(Client().start());
        Client().setAttachScript({{ATTACH_SUCCESS, 0}});
        ASSERT_TRUE(Players().start());
        ASSERT_TRUE(g_app.skype.start());
    }
    void TearDown() override
    {
        if (RemoteHost::InChild()) {
            return;
        }
        g_app.skype.stop();
        Players().stop();
        Client().stop();
    }
};

::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new AnswerEnvironment);

}  // namespace

void AnswerTest::SetUp()
{
    host_ = std::make_unique<EngineHost>();
    ASSERT_NE(host_->dialog(), nullptr);
    ASSERT_NE(host_->contacts(), nullptr);
    g_app.mainDialog = host_->dialog();
    g_app.contactsView = host_->contacts();
    host_->setContacts({"somebody"});

    Client().setReplyMode(ReplyMode::None);
    ClearCallIds();
    g_callState.answerPending = 0;
    g_mediaTargets = MediaTargets{};
    Players().close(MediaPlayer::Wmp);
    Players().close(MediaPlayer::Wmc);
    ASSERT_TRUE(Players().sync());
    Players().clear();

    g_app.skype.startDiscovery(host_->dialog());
    const EngineHost* host = host_.get();
    ASSERT_TRUE(PumpUntil(
        [host] {
            for (const HostEvent& event : host->events()) {
                if (event.text == "Connected to Skype") {
                    return true;
                }
            }
            return false;
        },
        5000));
    ASSERT_EQ(g_app.skype.m_hSkypeWnd.load(), Client().apiWindow());
    Client().clearCommands();
}

void AnswerTest::TearDown()
{
    host_.reset();
    g_app.mainDialog = nullptr;
    g_app.contactsView = nullptr;
}

void AnswerTest::Notify(const std::string& text) const
{
    Client().notify(text);
}

bool AnswerTest::Armed(UINT_PTR timer) const
{
    return KillTimer(host_->dialog(), timer) != FALSE;
}

void AnswerTest::AnswerCall(const std::string& id, const std::string& contact) const
{
    Notify("CALL " + id + " STATUS RINGING");
    Notify("CALL " + id + " PARTNER_HANDLE " + contact);
    ASSERT_TRUE(Armed(TIMER_ANSWER));
    OnAnswerTimer();
}
