#pragma once
// The one thread that runs dialogs (and with them detection, repair,
// translation and logging). It sleeps until asked to show the Remote Desktop
// dialog, runs it to its end, and sleeps again.
#include <windows.h>

#include <memory>

#include "dialogs/RemoteDesktopDialog.h"
#include "server/ServerDialogServices.h"
#include "win/Lock.h"
#include "win/ScopedHandle.h"

namespace server {

class DialogThread {
public:
    explicit DialogThread(ServerDialogServices& services);
    ~DialogThread() { Stop(); }
    DialogThread(const DialogThread&) = delete;
    DialogThread& operator=(const DialogThread&) = delete;

    void Start();
    // Ends the thread after the dialog it runs (if any) has closed; the
    // testers are released on the thread, inside its apartment.
    void Stop();

    // Shows the dialog over `parent`, or moves the open one over it. Returns at once.
    void Show(HWND parent);

private:
    static DWORD WINAPI ThreadProc(void* thread);
    void Loop();
    void RunOneDialog();

    ServerDialogServices& services_;
    win::ScopedHandle showEvent_;
    win::ScopedHandle quitEvent_;
    win::ScopedHandle thread_;

    // Guards the two fields below, which the COM call threads read too.
    win::Lock lock_;
    std::unique_ptr<dialogs::RemoteDesktopDialog> current_;
    HWND parent_ = nullptr;
};

}  // namespace server
