#pragma once
// The one process-wide module: it owns the server's parts and runs the entry
// sequence. Each part does one job in a file of its own: the lifetime and
// message loop, the class objects, the dialog thread, the services the
// dialogs use; the log comes from support.
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
    void StopServices();
    HRESULT HandleSwitch(ServerSwitch which);
    HRESULT Run();
    // One serving server per session: false when another one kept its claim
    // for the whole wait.
    bool ClaimServer();
    void ReleaseClaim();

    support::DiagnosticLog log_;
    ServerLifetime lifetime_;
    ServerDialogServices services_;
    DialogThread dialogThread_{services_};
    ClassObjects classObjects_;
    win::ScopedHandle claim_;
    bool claimed_ = false;
};

// The module of this process.
FarlinkModule& TheModule();

}  // namespace server
