#include "dialogs/ModalDialog.h"

#include "win/ExceptionBarrier.h"

namespace dialogs {

INT_PTR ModalDialog::DoModal(HINSTANCE instance, int templateId, HWND owner) {
    INT_PTR result = ::DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId), owner, DialogProc,
                                       reinterpret_cast<LPARAM>(this));
    // Nobody waits for the answer: the client's Show has long returned S_OK.
    if (result == -1) win::Trace(L"dialogs", L"DialogBoxParamW", win::LastErrorResult());
    return result;
}

INT_PTR CALLBACK ModalDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ModalDialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<ModalDialog*>(lParam);
        ::SetWindowLongPtrW(window, DWLP_USER, lParam);
        self->window_.store(window);
    } else {
        self = reinterpret_cast<ModalDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
    }
    // WM_SETFONT and friends arrive before WM_INITDIALOG has named the object.
    if (!self) return FALSE;
    bool handled = false;
    // A handler that threw answers FALSE: the message goes to the dialog manager.
    INT_PTR result = win::CallbackBarrier<INT_PTR>(
        L"dialog message", FALSE, [&] { return self->HandleMessage(message, wParam, lParam, handled); });
    if (message == WM_NCDESTROY) {
        self->window_.store(nullptr);
        ::SetWindowLongPtrW(window, DWLP_USER, 0);
    }
    return handled ? result : FALSE;
}

}  // namespace dialogs
