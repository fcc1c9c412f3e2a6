#include "tools/bench/driver/TestBed.h"

#include "res/resource.h"
#include "tests/Contract.h"
#include "tools/bench/BenchCommon.h"
#include "tools/bench/driver/ProcessMeter.h"
#include "tools/bench/driver/Report.h"

namespace bench {

HWND AwaitWindowOf(const ChildProcess& child, const char* className, const char* title)
{
    return AwaitWindow(child.processId(), className, title, false, 10000, 1);
}

TestBed::TestBed(const Options& options) : m_options(options), m_client(SilentlyAttachingScenario()) {}

bool TestBed::setUp()
{
    if (!m_client.start()) {
        Fail("the stand-in client's window could not be created");
        return false;
    }
    return true;
}

void TestBed::tearDown()
{
    m_client.stop();
}

bool TestBed::launch(const char* exe, const std::string& args, ChildProcess* child) const
{
    if (!child->start(programPath(exe), Widen(args), std::wstring(), CREATE_SUSPENDED | DETACHED_PROCESS)) {
        Fail(std::string("cannot start ") + exe);
        return false;
    }
    return true;
}

bool TestBed::startRinglock(const std::string& args, Ring* ring, int contacts)
{
    RingProcess& process = ring->process;
    if (!m_options.ringlock.empty() && !CopyFileW(Widen(m_options.ringlock).c_str(), process.exePath().c_str(), FALSE)) {
        Fail("cannot copy " + m_options.ringlock);
        return false;
    }
    process.writeSettings(SettingsText(contacts));
    if (!process.start(args, CREATE_SUSPENDED | DETACHED_PROCESS)) {
        Fail("cannot start Ringlock.exe");
        return false;
    }
    m_client.acceptDiscoverOnlyFrom(process.processId());
    const int attached = m_client.attachment().attachesSent;
    ring->startMs = ClockMs();
    process.child().resume();
    ring->dialog = AwaitWindowOf(process.child(), contract::MAIN_DIALOG_CLASS, contract::MAIN_DIALOG_TITLE);
    ring->dialogMs = ClockMs() - ring->startMs;
    if (ring->dialog == nullptr || !m_client.waitForAttachesSent(attached + 1, 10000)) {
        Fail("Ringlock " + args + " did not start and attach");
        process.kill();
        return false;
    }
    const StandinClient::Attachment attachment = m_client.attachment();
    ring->connectedMs = attachment.attachReturnedMs - ring->startMs;
    ring->discoveryMs = attachment.discoveredMs - ring->startMs;
    ring->log = GetDlgItem(ring->dialog, IDC_LOG);
    return true;
}

void TestBed::endRinglock(Ring* ring)
{
    ring->process.child().end(ring->dialog, WM_COMMAND, contract::IDM_EXIT);
}

bool TestBed::showRinglock(Ring* ring)
{
    PostMessageA(ring->dialog, WM_COMMAND, contract::IDM_RESTORE, 0);
    const bool shown = WaitUntil([ring] { return IsWindowVisible(ring->dialog) != FALSE; }, 5000, 1);
    // No event tells that a shown window's first paints and the display's answer are over.
    Sleep(500);
    return shown;
}

std::string TestBed::unixPid(const Ring& ring)
{
    const std::string& folder = ring.process.folder();
    return UnixPidOf(folder.substr(folder.find_last_of('\\') + 1) + "\\Ringlock.exe");
}

LRESULT TestBed::notifyRinglock(const std::string& text)
{
    return m_client.notify(text);
}

double TestBed::ringAndReply(const std::string& call, const std::string& caller)
{
    const size_t before = m_client.commands().size();
    notifyRinglock("CALL " + call + " STATUS RINGING");
    ReceivedCommand query;
    if (!m_client.waitForCommandStartingWith("GET CALL " + call + " PARTNER_HANDLE", before, 2000, &query)) {
        Fail("no partner query for call " + call);
        return -1.0;
    }
    const double sent = ClockMs();
    notifyRinglock("CALL " + call + " PARTNER_HANDLE " + caller);
    return sent;
}

bool TestBed::startRelay(const std::string& args, Relay* relay)
{
    if (!launch("bench_relay.exe", args, &relay->child)) {
        return false;
    }
    relay->child.resume();
    relay->dialog = AwaitWindowOf(relay->child, DIALOG_CLASS, BENCH_RELAY_TITLE);
    relay->link = relay->dialog ? AwaitWindowOf(relay->child, RELAY_LINK_CLASS, "RelayLink") : nullptr;
    if (relay->link == nullptr) {
        Fail("bench_relay.exe did not start");
        relay->child.end();
        return false;
    }
    relay->list = GetDlgItem(relay->dialog, IDC_LOG);
    if (args.find("-m") == std::string::npos) {
        WaitUntil([relay] { return IsWindowVisible(relay->dialog) != FALSE; }, 5000, 1);
    }
    // As for Ringlock: nothing is measured while the new window still settles.
    Sleep(500);
    return true;
}

}  // namespace bench
