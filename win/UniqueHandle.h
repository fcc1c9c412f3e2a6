#ifndef RINGLOCK_WIN_UNIQUEHANDLE_H
#define RINGLOCK_WIN_UNIQUEHANDLE_H

#include <windows.h>

// The one owner of a kernel handle: closed when the owner goes or is given
// another. Null and INVALID_HANDLE_VALUE both mean none, as the creating
// calls return one or the other on failure.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : m_handle(handle) {}
    ~UniqueHandle() { close(); }
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other) {
            close();
            m_handle = other.m_handle;
            other.m_handle = nullptr;
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE; }
    // False only when CloseHandle failed, which for a file written through
    // the cache can mean that its data never reached the disk.
    bool close()
    {
        const bool closed = !*this || CloseHandle(m_handle) != 0;
        m_handle = nullptr;
        return closed;
    }

private:
    HANDLE m_handle = nullptr;
};

#endif
