#ifndef RINGLOCK_WIN_UNIQUEHANDLE_H
#define RINGLOCK_WIN_UNIQUEHANDLE_H

#include <windows.h>

// The one owner of a handle: released when the owner goes or is given
// another. `Kind` says what counts as none and how the handle is released.
template <typename Kind>
class Unique {
public:
    using Handle = typename Kind::Handle;

    Unique() = default;
    explicit Unique(Handle handle) : m_handle(handle) {}
    ~Unique() { close(); }
    Unique& operator=(Unique&& other) noexcept
    {
        if (this != &other) {
            close();
            m_handle = other.m_handle;
            other.m_handle = nullptr;
        }
        return *this;
    }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;

    Handle get() const { return m_handle; }
    explicit operator bool() const { return Kind::held(m_handle); }
    // False only when the release failed, which for a file written through
    // the cache can mean that its data never reached the disk.
    bool close()
    {
        const bool closed = !*this || Kind::release(m_handle);
        m_handle = nullptr;
        return closed;
    }

private:
    Handle m_handle = nullptr;
};

// Null and INVALID_HANDLE_VALUE both mean none, as the creating calls return
// one or the other on failure.
struct KernelHandle {
    using Handle = HANDLE;
    static bool held(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static bool release(HANDLE handle) { return CloseHandle(handle) != 0; }
};

struct MenuHandle {
    using Handle = HMENU;
    static bool held(HMENU menu) { return menu != nullptr; }
    static bool release(HMENU menu) { return DestroyMenu(menu) != 0; }
};

// The argument list CommandLineToArgvW allocates for the caller.
struct ArgumentList {
    using Handle = LPWSTR*;
    static bool held(LPWSTR* list) { return list != nullptr; }
    static bool release(LPWSTR* list) { return LocalFree(list) == nullptr; }
};

struct RegistryKey {
    using Handle = HKEY;
    static bool held(HKEY key) { return key != nullptr; }
    static bool release(HKEY key) { return RegCloseKey(key) == ERROR_SUCCESS; }
};

using UniqueHandle = Unique<KernelHandle>;
using UniqueMenu = Unique<MenuHandle>;
using UniqueArguments = Unique<ArgumentList>;
using UniqueKey = Unique<RegistryKey>;

#endif
