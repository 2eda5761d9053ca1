#pragma once
// A plain top-level window that stands for the product's main window, the
// parent the dialog opens over. It has a thread of its own that serves its
// messages: the server's dialog disables and re-enables its owner, and those
// calls wait for the owner's thread.
#include <windows.h>

#include "win/ScopedHandle.h"

namespace farlinkdrive {

class ParentWindow {
public:
    ParentWindow() = default;
    ~ParentWindow();
    ParentWindow(const ParentWindow&) = delete;
    ParentWindow& operator=(const ParentWindow&) = delete;

    // Opens the window at (x, y); false when it could not be made.
    bool Open(int x, int y);
    HWND Window() const { return window_; }

private:
    static DWORD WINAPI ThreadProc(void* self);

    int x_ = 0;
    int y_ = 0;
    HWND window_ = nullptr;
    DWORD threadId_ = 0;
    win::ScopedHandle ready_;
    win::ScopedHandle thread_;
};

}  // namespace farlinkdrive
