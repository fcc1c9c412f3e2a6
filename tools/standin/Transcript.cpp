#include "tools/standin/Transcript.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "tools/harness/Harness.h"

namespace {

std::string Escape(const std::string& text)
{
    static const char HEX[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || byte == '\\') {
            out += "\\x";
            out += HEX[byte >> 4];
            out += HEX[byte & 15];
        } else {
            out += c;
        }
    }
    return out;
}

std::string Unescape(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
            out += static_cast<char>(std::strtol(text.substr(i + 2, 2).c_str(), nullptr, 16));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

std::string HexText(const void* pointer)
{
    char text[32];
    std::snprintf(text, sizeof(text), "0x%llx", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(pointer)));
    return text;
}

Transcript::~Transcript()
{
    if (m_file != nullptr) {
        std::fclose(m_file);
    }
}

bool Transcript::open(const std::string& path)
{
    m_file = std::fopen(path.c_str(), "wb");
    return m_file != nullptr;
}

void Transcript::write(const std::string& tag, const std::string& text)
{
    writeAt(ClockMs(), tag, text);
}

void Transcript::writeAt(double atMs, const std::string& tag, const std::string& text)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_file == nullptr) {
        return;
    }
    std::fprintf(m_file, "%.3f %s %s\n", atMs, tag.c_str(), Escape(text).c_str());
    std::fflush(m_file);
}

std::vector<TranscriptLine> ReadTranscript(const std::string& path)
{
    const std::string all = ReadFileBytes(Widen(path));
    std::vector<TranscriptLine> lines;
    size_t start = 0;
    for (size_t end = all.find('\n'); end != std::string::npos; start = end + 1, end = all.find('\n', start)) {
        const std::string line = all.substr(start, end - start);
        const size_t first = line.find(' ');
        const size_t second = first == std::string::npos ? std::string::npos : line.find(' ', first + 1);
        if (second == std::string::npos) {
            continue;
        }
        lines.push_back(TranscriptLine{std::strtod(line.substr(0, first).c_str(), nullptr),
                                       line.substr(first + 1, second - first - 1),
                                       Unescape(line.substr(second + 1))});
    }
    return lines;
}
