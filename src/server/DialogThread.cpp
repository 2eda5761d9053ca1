#include "server/DialogThread.h"

#include "win/ExceptionBarrier.h"
#include "win/Trace.h"

namespace server {

DialogThread::DialogThread(ServerDialogServices& services, com::ServerLock& serverLock)
    : services_(services),
      serverLock_(serverLock),
      showEvent_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      quitEvent_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

void DialogThread::Start() {
    if (thread_) return;
    thread_.Reset(::CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr));
    if (!thread_) win::Trace(L"server", L"dialog thread start", win::LastErrorResult());
}

void DialogThread::Stop() {
    if (!thread_) return;
    ::SetEvent(quitEvent_.Get());
    ::WaitForSingleObject(thread_.Get(), INFINITE);
    thread_.Close();
}

void DialogThread::Show(HWND parent) {
    if (!thread_ || !showEvent_) {
        win::Trace(L"server", L"Show without a dialog thread", E_UNEXPECTED);
        return;
    }
    HWND open = nullptr;
    {
        win::AutoLock lock(lock_);
        open = current_ ? current_->Window() : nullptr;
        if (!open) {
            parent_ = parent;
            if (!requested_) {
                requested_ = true;
                ::SetEvent(showEvent_.Get());
            }
            // Taken here, under the lock, while the caller's object still holds
            // the server: the dialog thread cannot let go of a hold not yet taken.
            if (!holdsServer_) {
                holdsServer_ = true;
                serverLock_.Lock();
            }
            return;
        }
    }
    // Outside the lock: moving waits for the dialog thread, which may be
    // waiting for the lock itself.
    dialogs::RemoteDesktopDialog::MoveDialogOver(open, parent);
}

DWORD WINAPI DialogThread::ThreadProc(void* param) {
    return win::CallbackBarrier<DWORD>(L"dialog thread", 1, [param]() -> DWORD {
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
        win::CallbackBarrier(L"Remote Desktop dialog", false, [this] {
            RunOneDialog();
            return true;
        });
        std::unique_ptr<dialogs::RemoteDesktopDialog> closed;
        bool letGo = false;
        {
            win::AutoLock lock(lock_);
            closed = std::move(current_);
            // A Show during this dialog's life asked for one more showing.
            letGo = holdsServer_ && !requested_;
            if (letGo) holdsServer_ = false;
        }
        // Destroyed outside the lock, with its detector, before the server may end.
        closed.reset();
        if (letGo) serverLock_.Unlock();
    }
    services_.ClearTesters();
    if (comInitialized) ::CoUninitialize();
}

void DialogThread::RunOneDialog() {
    HWND parent;
    {
        win::AutoLock lock(lock_);
        requested_ = false;
        parent = parent_;
    }
    // Built outside the lock: the detector's session probe may take a while.
    auto dialog = std::make_unique<dialogs::RemoteDesktopDialog>(services_);
    dialogs::RemoteDesktopDialog* shown = dialog.get();
    shown->SetParentWindow(parent);
    {
        win::AutoLock lock(lock_);
        current_ = std::move(dialog);
    }
    shown->Run();
}

}  // namespace server
