// Keeping the PC answering: awake as the user chose, the screen on through a
// call Ringlock answered, back by itself after a crash or an update restart,
// and never twice. Only Windows carries out what Ringlock asks of its power
// and of its restarts; Wine's trace of Ringlock's calls shows what was asked,
// and when.
#include "tests/blackbox/BlackBox.h"

#include <algorithm>
#include <cstdio>

#include "tools/standin/StandinClient.h"
#include "ui/WideText.h"

namespace {

using namespace contract;

// The execution state Ringlock sets, as the trace writes it: ES_CONTINUOUS,
// and ES_SYSTEM_REQUIRED to keep the PC awake, ES_DISPLAY_REQUIRED its screen
// on. Wine has no power requests: it refuses the request, and Ringlock asks
// with the execution state instead.
std::string State(bool awake, bool screen)
{
    char text[16] = {};
    std::snprintf(text, sizeof(text), "%08lx",
                  static_cast<unsigned long>(ES_CONTINUOUS | (awake ? ES_SYSTEM_REQUIRED : 0)
                                             | (screen ? ES_DISPLAY_REQUIRED : 0)));
    return text;
}
const std::string NOTHING = State(false, false);
const std::string AWAKE = State(true, false);
const std::string AWAKE_AND_SCREEN = State(true, true);

std::vector<std::string> StatesAsked(const Run& run)
{
    std::vector<std::string> states;
    for (const TracedCall& call : run.traced("SetThreadExecutionState")) {
        states.push_back(call.arguments);
    }
    return states;
}

void ExpectAsked(const Run& run, const std::vector<std::string>& states)
{
    EXPECT_TRUE(WaitUntil([&] { return StatesAsked(run) == states; }, STEP_MS))
        << ::testing::PrintToString(StatesAsked(run));
}

// The choice as stored: -1 when there is no value.
long long StoredChoice()
{
    DWORD value = 0;
    DWORD size = sizeof(value);
    return RegGetValueA(HKEY_CURRENT_USER, KEEP_AWAKE_KEY, KEEP_AWAKE_VALUE, RRF_RT_REG_DWORD, nullptr, &value, &size)
                   == ERROR_SUCCESS
               ? static_cast<long long>(value)
               : -1;
}

// When Ringlock asked for `state` last, late as a trace line may be by the
// tick count's grain.
double LastAskedAt(const Run& run, const std::string& state)
{
    const std::vector<TracedCall> calls = run.traced("SetThreadExecutionState");
    const auto last = std::find_if(calls.rbegin(), calls.rend(),
                                   [&state](const TracedCall& call) { return call.arguments == state; });
    return last == calls.rend() ? -1.0 : last->atMs;
}
constexpr double TICK_GRAIN_MS = 20.0;

// At start the PC is kept awake and Ringlock registered for restarts, hidden;
// each choice of the item is followed at once and stored, or, refused, changes
// nothing; the screen is kept on from the answer to the end of the call, and
// every request withdrawn at the exit.
void KeptAwakeAsChosen(Run& run)
{
    ExpectAsked(run, {AWAKE});
    const std::vector<TracedCall> registered = run.traced("RegisterApplicationRestart");
    const std::string hidden = std::string("L\"") + Utf8FromWide(RESTART_COMMAND_LINE, 2) + "\",00000000";
    ASSERT_EQ(registered.size(), 1u);
    EXPECT_NE(registered[0].arguments.find(hidden), std::string::npos) << registered[0].arguments;
    EXPECT_EQ(run.traced("PowerCreateRequest").size(), 1u);
    run.awaitTip(TIP_ANSWERING);
    EXPECT_EQ(StoredChoice(), -1);
    run.chooseFromTrayMenu('a');
    ExpectAsked(run, {AWAKE, NOTHING});
    EXPECT_EQ(StoredChoice(), 0);
    run.awaitTip(TIP_ANSWERING_MAY_SLEEP);
    run.chooseFromTrayMenu('a');
    ExpectAsked(run, {AWAKE, NOTHING, AWAKE});
    EXPECT_EQ(StoredChoice(), -1);
    run.awaitTip(TIP_ANSWERING);
    {
        const std::shared_ptr<void> locked = LockKey(Widen(KEEP_AWAKE_KEY));
        run.chooseFromTrayMenu('a');
        run.awaitLogBeginning(KEEP_AWAKE_FAILED_TEXT, "(error 5)");
    }
    EXPECT_EQ(StatesAsked(run), (std::vector<std::string>{AWAKE, NOTHING, AWAKE})) << "a refused choice changes nothing";
    EXPECT_EQ(StoredChoice(), -1);
    run.createFileBeside("ring");
    ASSERT_TRUE(run.client.waitFor("==", "answered", 2 * STEP_MS));
    ExpectAsked(run, {AWAKE, NOTHING, AWAKE, AWAKE_AND_SCREEN});
    const double answered = run.client.timeOf("<-", "SET CALL 901 STATUS INPROGRESS");
    EXPECT_GE(LastAskedAt(run, AWAKE_AND_SCREEN), answered - TICK_GRAIN_MS) << "the screen kept on from the answer";
    EXPECT_LT(LastAskedAt(run, AWAKE_AND_SCREEN), answered + LATE_MS);
    run.createFileBeside("finish");
    ASSERT_TRUE(run.client.waitFor("==", "finished", STEP_MS));
    EXPECT_EQ(StatesAsked(run).back(), AWAKE) << "until the call ends";
    // Wine refuses the request; the execution state keeps the PC awake.
    run.awaitLogBeginning(POWER_REFUSED_TEXT, POWER_KEPT_OTHERWISE_TEXT);
    EXPECT_EQ(run.linesBeginning(POWER_REFUSED_TEXT).size(), 1u) << "said once";
    run.exit();
    EXPECT_EQ(StatesAsked(run).back(), NOTHING) << "and nothing asked after the exit";
}

// Stored unchecked before the start, and removed again at the row's end.
void StoredUnchecked(Run& run)
{
    const DWORD off = 0;
    RegSetKeyValueA(HKEY_CURRENT_USER, KEEP_AWAKE_KEY, KEEP_AWAKE_VALUE, REG_DWORD, &off, sizeof(off));
    run.held = std::shared_ptr<void>(nullptr, [](void*) { RegDeleteKeyValueA(HKEY_CURRENT_USER, KEEP_AWAKE_KEY, KEEP_AWAKE_VALUE); });
}

BOOL CALLBACK CountRinglockDialog(HWND window, LPARAM count)
{
    char name[64] = {};
    char title[64] = {};
    GetClassNameA(window, name, sizeof(name));
    GetWindowTextA(window, title, sizeof(title));
    *reinterpret_cast<int*>(count) += lstrcmpA(name, MAIN_DIALOG_CLASS) == 0 && lstrcmpA(title, MAIN_DIALOG_TITLE) == 0;
    return TRUE;
}

// Only two dialogs called so would be two programs.
int RinglockDialogs()
{
    int count = 0;
    EnumWindows(CountRinglockDialog, reinterpret_cast<LPARAM>(&count));
    return count;
}

const Row POWER_ROWS[] = {
    {
        .name = "ThePcIsKeptAwakeAsChosenTheScreenOnThroughAnAnsweredCallAndRinglockRegisteredForRestarts",
        .given = {.settings = "0\r\n0\r\nalice\r\n",
                  .before = [](Run& run) {
                      RegDeleteKeyValueA(HKEY_CURRENT_USER, KEEP_AWAKE_KEY, KEEP_AWAKE_VALUE);
                      PutTaskbarInFront(run);
                      run.taskbar->takeIcons();
                  },
                  .traced = true},
        .client = std::string(REPLYING_AT_ONCE) + "partner 901 alice\n" + Await("attached") + Await("file ring", 3 * STEP_MS)
                  + Ring("901") + Await("command SET CALL 901 STATUS INPROGRESS", ANSWER_DELAY_MS)
                  + "mark answered\n" + Await("file finish", STEP_MS) + "finish 901\nmark finished\n",
        .act = KeptAwakeAsChosen,
        .expect = {.commands = {"GET CALL 901 PARTNER_HANDLE", "SET CALL 901 STATUS INPROGRESS"}},
    },
    {
        // Stored unchecked: the PC may sleep, but an answered call keeps it
        // awake and its screen on until the client crashes.
        .name = "AStoredChoiceIsKeptAndACrashMidCallWithdrawsTheScreen",
        .given = {.settings = "0\r\n0\r\nalice\r\n", .before = StoredUnchecked, .traced = true},
        .client = std::string(REPLYING_AT_ONCE) + "partner 902 alice\n" + Await("attached") + Ring("902")
                  + Await("command SET CALL 902 STATUS INPROGRESS", ANSWER_DELAY_MS) + Wait(500) + "crash\n",
        .act = [](Run& run) {
            run.awaitLog(CLIENT_CLOSED_TEXT);
            ExpectAsked(run, {NOTHING, AWAKE_AND_SCREEN, NOTHING});
        },
        .expect = {.commands = {"GET CALL 902 PARTNER_HANDLE", "SET CALL 902 STATUS INPROGRESS"},
                   .closingPing = false,
                   .clientExit = CRASH_EXIT_CODE},
    },
    {
        // As the Run value and a restart after an update may start it.
        .name = "TwoStartsAtTheSameMomentGiveOneRinglockShownByTheOther",
        .given = {.settings = "0\r\n0\r\nalice\r\n", .arguments = "-m", .startedTwiceAtOnce = true},
        .client = ATTACHED,
        .act = [](Run& run) {
            run.awaitVisible(true);
            EXPECT_EQ(RinglockDialogs(), 1);
        },
    },
};

INSTANTIATE_TEST_SUITE_P(Power, BlackBox, ::testing::ValuesIn(POWER_ROWS), RowName);

}  // namespace
