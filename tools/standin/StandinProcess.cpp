#include "tools/standin/StandinProcess.h"

#include <algorithm>

bool StandinProcess::startClient(const std::string& folder, const std::string& scenario, const std::string& program,
                                 const std::string& name)
{
    const std::string scenarioPath = folder + "\\" + name + ".scenario";
    WriteFileBytes(Widen(scenarioPath), scenario);
    return start(program.empty() ? ProgramFolder() + "\\standin_client.exe" : program, "\"" + scenarioPath + "\"",
                 folder, folder + "\\" + name + ".log");
}

bool StandinProcess::startPlayers(const std::string& folder, const std::string& arguments)
{
    return start(ProgramFolder() + "\\standin_players.exe", arguments, folder, folder + "\\players.log");
}

bool StandinProcess::start(const std::string& exe, const std::string& arguments, const std::string& folder,
                           const std::string& transcript)
{
    m_transcript = transcript;
    if (!m_process.start(Widen(exe), Widen(arguments + " \"" + transcript + "\""), Widen(folder))) {
        return false;
    }
    return WaitUntil([this] {
        const std::vector<TranscriptLine> first = lines();
        return !first.empty() && first[0].tag == "==" && first[0].text.compare(0, 5, "ready") == 0;
    }, 15000);
}

std::vector<std::string> StandinProcess::texts(const std::string& tag) const
{
    std::vector<std::string> found;
    for (const TranscriptLine& line : lines()) {
        if (line.tag == tag) {
            found.push_back(line.text);
        }
    }
    return found;
}

double StandinProcess::timeOf(const std::string& tag, const char* text) const
{
    const std::vector<TranscriptLine> all = lines();
    const auto line = std::find_if(all.begin(), all.end(), [&](const TranscriptLine& candidate) {
        return candidate.tag == tag && candidate.text == text;
    });
    return line == all.end() ? -1.0 : line->atMs;
}

bool StandinProcess::waitFor(const std::string& tag, const std::string& text, DWORD timeoutMs) const
{
    return WaitUntil([&] { return timeOf(tag, text.c_str()) >= 0.0; }, timeoutMs);
}
