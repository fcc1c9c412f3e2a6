#ifndef RINGLOCK_TESTS_SUPPORT_FILEBYTES_H
#define RINGLOCK_TESTS_SUPPORT_FILEBYTES_H

#include <fstream>
#include <iterator>
#include <string>

// A whole file as bytes; empty when it is missing.
inline std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

#endif
