#include "server/DialogThread.h"

#include "win/ExceptionBarrier.h"

namespace server {

DialogThread::DialogThread(ServerDialogServices& services)
    : services_(services),
      showEvent_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      quitEvent_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

void DialogThread::Start() {
    if (!thread_) thread_.Reset(::CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr));
}

void DialogThread::Stop() {
    if (!thread_) return;
    ::SetEvent(quitEvent_.Get());
    ::WaitForSingleObject(thread_.Get(), INFINITE);
    thread_.Close();
}

void DialogThread::Show(HWND parent) {
    HWND open = nullptr;
    {
        win::AutoLock lock(lock_);
        if (!current_) {
            parent_ = parent;
            ::SetEvent(showEvent_.Get());
            return;
        }
        open = current_->Window();
    }
    // Outside the lock: moving waits for the dialog thread, which may be
    // waiting for the lock itself.
    dialogs::RemoteDesktopDialog::MoveDialogOver(open, parent);
}

DWORD WINAPI DialogThread::ThreadProc(void* param) {
    return win::CallbackBarrier<DWORD>(1, [param]() -> DWORD {
        static_cast<DialogThread*>(param)->Loop();
        return 0;
    });
}

void DialogThread::Loop() {
    bool comInitialized = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    HANDLE events[2] = {quitEvent_.Get(), showEvent_.Get()};
    for (;;) {
        DWORD wait = ::WaitForMultipleObjects(2, events, FALSE, INFINITE);
        if (wait == WAIT_OBJECT_0) break;
        if (wait != WAIT_OBJECT_0 + 1) continue;
        // A dialog that fails (out of memory) is lost, the thread is not.
        win::CallbackBarrier(false, [this] {
            RunOneDialog();
            return true;
        });
        std::unique_ptr<dialogs::RemoteDesktopDialog> closed;
        {
            win::AutoLock lock(lock_);
            closed = std::move(current_);
        }
        // Destroyed outside the lock, with its detector.
    }
    services_.ClearTesters();
    if (comInitialized) ::CoUninitialize();
}

void DialogThread::RunOneDialog() {
    // Built outside the lock: the detector's session probe may take a while.
    auto dialog = std::make_unique<dialogs::RemoteDesktopDialog>(services_);
    dialogs::RemoteDesktopDialog* shown = dialog.get();
    {
        win::AutoLock lock(lock_);
        current_ = std::move(dialog);
        shown->SetParentWindow(parent_);
    }
    shown->Run();
}

}  // namespace server
