#pragma once
// The Remote Desktop dialog: whether remote access is authorised and which
// remote channels work.
#include <windows.h>

#include "dialogs/TesterSource.h"

namespace dialogs {

class RemoteDesktopDialog {
public:
    explicit RemoteDesktopDialog(TesterSource& testers);
    RemoteDesktopDialog(const RemoteDesktopDialog&) = delete;
    RemoteDesktopDialog& operator=(const RemoteDesktopDialog&) = delete;

    // Runs the dialog modally over `parent`; returns when the user closes it.
    void Run(HWND parent);

    HWND Window() const { return window_; }

private:
    TesterSource& testers_;
    HWND window_ = nullptr;
};

// Moves the dialog window so its top-left corner sits on `parent`'s, and brings
// it to the front. Called from client threads by window handle, never while the
// module lock is held: the dialog thread must process these calls and may itself
// be waiting for that lock. On a window that has closed meanwhile it does nothing.
void MoveOverWindow(HWND dialog, HWND parent);

}  // namespace dialogs
