#ifndef RINGLOCK_LINK_UITHREAD_H
#define RINGLOCK_LINK_UITHREAD_H

#include "link/Wnd.h"
#include "win/UniqueHandle.h"

// A Wnd whose window lives on a thread of its own, with its own message loop.
class UIthread : public Wnd {
public:
    void onDestroy() override;
    virtual void onThreadStart();
    virtual void onThreadEnd();
    // A handle the thread's loop waits on beside its messages (nullptr: none),
    // and what it does once that handle is signalled. Both run on the thread.
    virtual HANDLE watchedHandle();
    virtual void onWatchedHandleSignalled();

    // True once the window exists on the new thread (or already ran);
    // false, promptly, when the thread could not start or made no window.
    bool start();
    void stop();
    static DWORD WINAPI threadMain(LPVOID self);
    void runLoop();

    UniqueHandle m_hStartEvent;
    UniqueHandle m_hThread;

protected:
    ~UIthread() = default;
};

#endif
