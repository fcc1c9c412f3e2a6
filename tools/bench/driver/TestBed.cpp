#include "tools/bench/driver/TestBed.h"

#include "tools/bench/BenchCommon.h"
#include "tools/bench/driver/ProcessMeter.h"
#include "tools/bench/driver/Report.h"

namespace bench {

namespace {

bool WriteFileText(const std::string& path, const std::string& text)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return written == text.size();
}

void RemoveFolder(const std::string& folder)
{
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                DeleteFileA((folder + "\\" + entry.cFileName).c_str());
            }
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

}  // namespace

bool TestBed::setUp()
{
    m_exeDir = ExeDir();
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    m_marker = "ringlock-bench-" + std::to_string(GetCurrentProcessId());
    m_folder = std::string(temp) + m_marker;
    CreateDirectoryA(m_folder.c_str(), nullptr);
    const std::string source = m_options.ringlock.empty() ? programPath("Ringlock.exe") : m_options.ringlock;
    if (!CopyFileA(source.c_str(), (m_folder + "\\Ringlock.exe").c_str(), FALSE)) {
        Fail("cannot copy " + source);
        return false;
    }
    m_client.setAttachScript({AttachStep{STANDIN_ATTACH_SUCCESS, 0}});
    if (!m_client.start()) {
        Fail("the stand-in client's window could not be created");
        return false;
    }
    return true;
}

void TestBed::tearDown()
{
    m_client.stop();
    RemoveFolder(m_folder);
}

bool TestBed::startRinglock(const std::string& args, Ring* ring, int contacts)
{
    WriteFileText(m_folder + "\\Ringlock.ini", SettingsText(contacts));
    if (!Launch(m_folder + "\\Ringlock.exe", args, m_folder, &ring->child)) {
        Fail("cannot start Ringlock.exe");
        return false;
    }
    m_client.acceptDiscoverOnlyFrom(ring->child.pid());
    const int attached = m_client.attachesSent();
    ring->startMs = StandinClock();
    Resume(ring->child);
    ring->dialog = WaitWindowOf(ring->child, DIALOG_CLASS, RINGLOCK_TITLE, 10000);
    ring->dialogMs = StandinClock() - ring->startMs;
    if (ring->dialog == nullptr || !m_client.waitForAttachesSent(attached + 1, 10000)) {
        Fail("Ringlock " + args + " did not start and attach");
        ring->child.end(nullptr, 0, 0);
        return false;
    }
    ring->connectedMs = m_client.lastAttachReturnedMs() - ring->startMs;
    ring->discoveryMs = m_client.lastDiscoverMs() - ring->startMs;
    ring->log = GetDlgItem(ring->dialog, RINGLOCK_LOG_ID);
    return true;
}

void TestBed::endRinglock(Ring* ring)
{
    ring->child.end(ring->dialog, WM_COMMAND, RINGLOCK_EXIT);
}

bool TestBed::showRinglock(Ring* ring)
{
    PostMessageA(ring->dialog, WM_COMMAND, RINGLOCK_RESTORE, 0);
    const bool shown = WaitVisible(ring->dialog, 5000);
    Sleep(500);
    return shown;
}

std::string TestBed::ringlockUnixPid() const
{
    return UnixPidOf(m_marker + "\\Ringlock.exe");
}

LRESULT TestBed::notifyRinglock(const std::string& text)
{
    return m_client.notifyWithin(m_client.appWindow(), text, SEND_TIMEOUT_MS);
}

bool TestBed::holdRingingCall()
{
    const size_t before = m_client.commandCount();
    notifyRinglock(std::string("CALL ") + HELD_CALL + " STATUS RINGING");
    ReceivedCommand query;
    if (!m_client.waitForCommandStartingWith(std::string("GET CALL ") + HELD_CALL + " PARTNER_HANDLE", before, 2000,
                                             &query)) {
        Fail("Ringlock did not query the partner of a ringing call");
        return false;
    }
    notifyRinglock(std::string("CALL ") + HELD_CALL + " PARTNER_HANDLE " + UNLISTED_CALLER);
    return true;
}

bool TestBed::startRelay(const std::string& args, Relay* relay)
{
    if (!Launch(programPath("bench_relay.exe"), args, std::string(), &relay->child)) {
        Fail("cannot start bench_relay.exe");
        return false;
    }
    Resume(relay->child);
    relay->dialog = WaitWindowOf(relay->child, DIALOG_CLASS, RELAY_TITLE, 10000);
    relay->link = relay->dialog ? WaitWindowOf(relay->child, RELAY_LINK_CLASS, "RelayLink", 10000) : nullptr;
    if (relay->link == nullptr) {
        Fail("bench_relay.exe did not start");
        relay->child.end(nullptr, 0, 0);
        return false;
    }
    relay->list = GetDlgItem(relay->dialog, 1001);
    if (args.find("-m") == std::string::npos) {
        WaitVisible(relay->dialog, 5000);
    }
    Sleep(500);
    return true;
}

}  // namespace bench
