#ifndef RINGLOCK_LINK_UITHREAD_H
#define RINGLOCK_LINK_UITHREAD_H

#include "link/Wnd.h"

// A Wnd whose window lives on a thread of its own, with its own message loop.
class UIthread : public Wnd {
public:
    void onDestroy() override;
    virtual void onThreadStart();
    virtual void onThreadEnd();

    // True once the window exists on the new thread (or already ran);
    // false, promptly, when the thread could not start or made no window.
    bool start();
    void stop();
    static DWORD WINAPI threadMain(LPVOID self);

    HANDLE m_hStartEvent = nullptr;
    HANDLE m_hThread = nullptr;

protected:
    ~UIthread() = default;
};

#endif
