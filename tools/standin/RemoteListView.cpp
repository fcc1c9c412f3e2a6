#include "tools/standin/RemoteListView.h"

#include <commctrl.h>

std::vector<std::string> ReadRemoteListView(HWND list)
{
    std::vector<std::string> rows;
    DWORD processId = 0;
    GetWindowThreadProcessId(list, &processId);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (process == nullptr) {
        return rows;
    }
    constexpr SIZE_T TEXT_SIZE = 1024;
    char* remote = static_cast<char*>(
        VirtualAllocEx(process, nullptr, sizeof(LVITEMA) + TEXT_SIZE, MEM_COMMIT, PAGE_READWRITE));
    if (remote != nullptr) {
        char* remoteText = remote + sizeof(LVITEMA);
        const LRESULT count = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
        for (LRESULT row = 0; row < count; ++row) {
            LVITEMA item{};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(row);
            item.pszText = remoteText;
            item.cchTextMax = static_cast<int>(TEXT_SIZE);
            const char zero = '\0';
            WriteProcessMemory(process, remoteText, &zero, 1, nullptr);
            WriteProcessMemory(process, remote, &item, sizeof(item), nullptr);
            SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote));
            LVITEMA after{};
            ReadProcessMemory(process, remote, &after, sizeof(after), nullptr);
            char text[TEXT_SIZE] = {};
            ReadProcessMemory(process, after.pszText, text, TEXT_SIZE - 1, nullptr);
            rows.emplace_back(text);
        }
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return rows;
}
