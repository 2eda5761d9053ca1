#pragma once
// The one thread that runs dialogs (and with them detection, repair,
// translation and logging). It sleeps until asked to show the Remote Desktop
// dialog, runs it to its end, and sleeps again. A dialog asked for or shown
// holds the server as an object does, so a client that releases its last
// object leaves the server (and its class objects) up until the user closes
// the dialog, and the next client joins this server and this dialog.
#include <windows.h>

#include <memory>

#include "com/ServerLock.h"
#include "dialogs/RemoteDesktopDialog.h"
#include "server/ServerDialogServices.h"
#include "win/Lock.h"
#include "win/ScopedHandle.h"

namespace server {

class DialogThread {
public:
    DialogThread(ServerDialogServices& services, com::ServerLock& serverLock);
    ~DialogThread() { Stop(); }
    DialogThread(const DialogThread&) = delete;
    DialogThread& operator=(const DialogThread&) = delete;

    void Start();
    // Ends the thread after the dialog it runs (if any) has closed; the
    // testers are released on the thread, inside its apartment.
    void Stop();

    // Moves the open dialog over `parent`; with no dialog window yet, asks for
    // a showing over it (one more when a dialog is being built). Returns at once.
    void Show(HWND parent);

private:
    static DWORD WINAPI ThreadProc(void* thread);
    void Loop();
    void RunOneDialog();

    ServerDialogServices& services_;
    com::ServerLock& serverLock_;
    win::ScopedHandle showEvent_;
    win::ScopedHandle quitEvent_;
    win::ScopedHandle thread_;

    // Guards the fields below, which the COM call threads use too.
    win::Lock lock_;
    std::unique_ptr<dialogs::RemoteDesktopDialog> current_;
    HWND parent_ = nullptr;
    bool requested_ = false;    // a showing asked for and not yet begun
    bool holdsServer_ = false;  // one server lock for everything asked for and shown
};

}  // namespace server
