#include "ParentWindow.h"

#include "win/ExceptionBarrier.h"

namespace farlinkdrive {

ParentWindow::~ParentWindow() {
    if (!thread_) return;
    ::PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    ::WaitForSingleObject(thread_.Get(), 5000);
}

bool ParentWindow::Open(int x, int y) {
    if (thread_) return false;
    x_ = x;
    y_ = y;
    ready_.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    thread_.Reset(::CreateThread(nullptr, 0, ThreadProc, this, 0, &threadId_));
    if (!ready_ || !thread_) return false;
    ::WaitForSingleObject(ready_.Get(), 10000);
    return window_ != nullptr;
}

DWORD WINAPI ParentWindow::ThreadProc(void* param) {
    auto* self = static_cast<ParentWindow*>(param);
    // 1 is the thread's answer for any failure, a throw included.
    return win::CallbackBarrier<DWORD>(1, [self]() -> DWORD {
        // A predefined class: nothing to register, and it paints itself.
        HWND window = ::CreateWindowExW(0, L"Static", L"farlinkdrive parent",
                                        WS_OVERLAPPEDWINDOW | WS_VISIBLE, self->x_, self->y_, 320,
                                        240, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        self->window_ = window;
        ::SetEvent(self->ready_.Get());
        if (!window) return 1;
        MSG msg;
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::DestroyWindow(window);
        return 0;
    });
}

}  // namespace farlinkdrive
