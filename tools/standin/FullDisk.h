#ifndef RINGLOCK_TOOLS_STANDIN_FULLDISK_H
#define RINGLOCK_TOOLS_STANDIN_FULLDISK_H

#include <string>

// Our stand-in for a full disk under one file name: the name made a link to
// the Unix device that takes no data, so that a file of that name opens,
// reads as empty, and every write of it fails as on a full disk; until the
// object goes. Made and removed with the Unix ln and rm; only under Wine.
class FullDisk {
public:
    explicit FullDisk(std::wstring path);
    ~FullDisk();
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;
    bool placed() const { return m_placed; }

private:
    std::wstring m_path;
    std::wstring m_unixName;
    bool m_placed;
};

#endif
