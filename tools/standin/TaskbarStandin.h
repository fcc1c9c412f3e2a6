#ifndef RINGLOCK_TOOLS_STANDIN_TASKBARSTANDIN_H
#define RINGLOCK_TOOLS_STANDIN_TASKBARSTANDIN_H

#include <windows.h>

#include <string>
#include <vector>

// Our stand-in for a taskbar that is still starting, as at logon: a topmost
// window of the taskbar's class, on a thread of its own, which the shell's
// notification-area calls find before the real one. It refuses every icon
// until told to take them, and records each call's command and tip. (Wine's
// shell hands the command over as the dwData of a WM_COPYDATA; Windows times
// such a call out instead, which Wine never does.)
constexpr char TASKBAR_CLASS[] = "Shell_TrayWnd";

struct TaskbarCall {
    DWORD command;    // NIM_ADD, NIM_MODIFY, NIM_DELETE, ...
    bool taken;       // answered as done
    double atMs;      // ClockMs() when it arrived
    std::string tip;  // UTF-8; empty when the call sets none
};

class TaskbarStandin {
public:
    TaskbarStandin() = default;
    ~TaskbarStandin();
    TaskbarStandin(const TaskbarStandin&) = delete;
    TaskbarStandin& operator=(const TaskbarStandin&) = delete;

    bool start();  // the window exists when it returns true
    void takeIcons();
    std::vector<TaskbarCall> calls() const;
    // The icon's tips in the order they were given, each once.
    std::vector<std::string> tips() const;

private:
    struct State;
    State* m_state = nullptr;
};

#endif
