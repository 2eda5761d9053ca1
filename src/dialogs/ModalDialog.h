#pragma once
// A modal dialog run from a template, with the object reached from the
// window through DWLP_USER: no window-procedure thunk, so showing it cannot
// fail for want of one.
#include <windows.h>

#include <atomic>

namespace dialogs {

class ModalDialog {
public:
    ModalDialog() = default;
    virtual ~ModalDialog() = default;
    ModalDialog(const ModalDialog&) = delete;
    ModalDialog& operator=(const ModalDialog&) = delete;

    // Runs the dialog from template `templateId` of `instance`, owned by
    // `owner`; returns what EndDialog was given, or -1 when it could not be shown.
    INT_PTR DoModal(HINSTANCE instance, int templateId, HWND owner);

    // The dialog's window while it exists; readable from any thread.
    HWND Window() const { return window_.load(); }

protected:
    // A message for the dialog. Set `handled` to keep the default processing
    // away; the result is what the dialog procedure returns.
    virtual INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) = 0;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    std::atomic<HWND> window_{nullptr};
};

}  // namespace dialogs
