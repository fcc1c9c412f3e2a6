#include "tests/support/StandinProcesses.h"

constexpr DWORD READY_TIMEOUT_MS = 15000;

std::vector<std::string> TranscriptFile::texts(const std::string& tag) const
{
    std::vector<std::string> found;
    for (const TranscriptLine& line : lines()) {
        if (line.tag == tag) {
            found.push_back(line.text);
        }
    }
    return found;
}

double TranscriptFile::timeOf(const std::string& tag) const
{
    for (const TranscriptLine& line : lines()) {
        if (line.tag == tag) {
            return line.atMs;
        }
    }
    return -1.0;
}

double TranscriptFile::timeOf(const std::string& tag, const std::string& text) const
{
    for (const TranscriptLine& line : lines()) {
        if (line.tag == tag && line.text == text) {
            return line.atMs;
        }
    }
    return -1.0;
}

bool TranscriptFile::waitFor(const std::string& tag, const std::string& text, DWORD timeoutMs) const
{
    return WaitUntil([&] { return timeOf(tag, text) >= 0.0; }, timeoutMs);
}

bool ClientProcess::start(const std::string& folder, const std::string& scenario, const std::string& program,
                          const std::string& name)
{
    const std::string scenarioPath = folder + "\\" + name + ".scenario";
    WriteFileBytes(Widen(scenarioPath), scenario);
    m_transcript = TranscriptFile(folder + "\\" + name + ".log");
    if (!m_process.start(Widen(program.empty() ? ProgramFolder() + "\\standin_client.exe" : program),
                         Widen("\"" + scenarioPath + "\" \"" + m_transcript.path() + "\""), Widen(folder))) {
        return false;
    }
    return WaitUntil([&] {
        const std::vector<TranscriptLine> lines = m_transcript.lines();
        return !lines.empty() && lines[0].tag == "==" && lines[0].text.compare(0, 6, "ready ") == 0;
    }, READY_TIMEOUT_MS);
}

bool PlayersProcess::start(const std::string& folder, const std::string& arguments)
{
    m_log = TranscriptFile(folder + "\\players.log");
    if (!m_process.start(Widen(ProgramFolder() + "\\standin_players.exe"),
                         Widen("\"" + m_log.path() + "\" " + arguments), Widen(folder))) {
        return false;
    }
    return m_log.waitFor("==", "ready", READY_TIMEOUT_MS);
}
