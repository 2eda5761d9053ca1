#pragma once
// The one owner of the server's life. It runs the entry sequence and holds
// every part that decides when the process may end: the lock count and
// message loop (ServerLifetime), the class objects, the dialog thread (a
// shown dialog holds the lock as an object does), the one-instance claim
// and the log. Each part does one job in a file of its own; this file says
// in which order they start and stop.
#include <windows.h>

#include "server/ClassObjects.h"
#include "server/CommandLine.h"
#include "server/DialogThread.h"
#include "server/ServerDialogServices.h"
#include "server/ServerLifetime.h"
#include "support/DiagnosticLog.h"
#include "win/ScopedHandle.h"

namespace server {

class FarlinkModule {
public:
    FarlinkModule() = default;
    FarlinkModule(const FarlinkModule&) = delete;
    FarlinkModule& operator=(const FarlinkModule&) = delete;

    // The entry sequence; returns the process exit code.
    int Main();

    ServerLifetime& Lifetime() { return lifetime_; }
    ServerDialogServices& Services() { return services_; }
    DialogThread& Dialogs() { return dialogThread_; }

private:
    void StartServices();
    HRESULT HandleSwitch(ServerSwitch which);
    // Serves clients until the last object is gone and no dialog is open.
    HRESULT Serve();
    // The dialog thread joined, then the class objects revoked, the claim
    // dropped and the log closed: once, together, in that order, so that a
    // server that starts meanwhile can neither reach this one nor truncate
    // the log under a dialog still writing to it. The revoke's result.
    HRESULT EndService();
    // One serving server per session: false when another one kept its claim
    // for the whole wait.
    bool ClaimServer();

    support::DiagnosticLog log_;
    ServerLifetime lifetime_;
    ServerDialogServices services_{lifetime_, log_};
    DialogThread dialogThread_{services_, lifetime_};
    ClassObjects classObjects_{lifetime_, *this};
    win::ScopedHandle claim_;
    bool claimed_ = false;
    bool ended_ = false;
    HRESULT revoked_ = S_OK;
};

}  // namespace server
