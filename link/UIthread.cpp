#include "link/UIthread.h"

void UIthread::onDestroy()
{
    PostQuitMessage(0);
}

void UIthread::onThreadStart() {}

void UIthread::onThreadEnd() {}

HANDLE UIthread::watchedHandle()
{
    return nullptr;
}

void UIthread::onWatchedHandleSignalled() {}

bool UIthread::start()
{
    if (m_hThread) {
        return true;
    }
    // Unnamed: a named event is shared by every process that opens the same
    // name, and another process's start could release this one too early.
    m_hStartEvent = UniqueHandle(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!m_hStartEvent) {
        return false;
    }
    m_hThread = UniqueHandle(CreateThread(nullptr, 0, threadMain, this, 0, nullptr));
    bool started = false;
    if (m_hThread) {
        // The thread ends without signalling when it made no window.
        const HANDLE waitFor[2] = {m_hStartEvent.get(), m_hThread.get()};
        started = WaitForMultipleObjects(2, waitFor, FALSE, INFINITE) == WAIT_OBJECT_0;
        if (!started) {
            m_hThread.close();
        }
    }
    m_hStartEvent.close();
    return started;
}

void UIthread::stop()
{
    if (!m_hThread) {
        return;
    }
    PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
    WaitForSingleObject(m_hThread.get(), 5000);
    m_hThread.close();
}

// Sleeps until a message or the watched handle wakes it, so an idle thread
// costs no wake-ups.
void UIthread::runLoop()
{
    for (;;) {
        HANDLE watched = watchedHandle();
        const DWORD count = watched ? 1 : 0;
        const DWORD woke = MsgWaitForMultipleObjectsEx(count, &watched, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (count == 1 && woke == WAIT_OBJECT_0) {
            onWatchedHandleSignalled();
            continue;
        }
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                return;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

DWORD WINAPI UIthread::threadMain(LPVOID self)
{
    UIthread* thread = static_cast<UIthread*>(self);
    if (!thread->create()) {
        return 1;
    }
    SetEvent(thread->m_hStartEvent.get());
    thread->onThreadStart();
    thread->runLoop();
    thread->onThreadEnd();
    thread->destroy();
    return 0;
}
