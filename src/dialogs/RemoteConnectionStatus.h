#pragma once
// The Remote Connection Status dialog: on opening and on every Refresh, a
// report of which remote client runs, whether the plug-in is loaded in it and
// what each connected tester's connection test found.
#include <windows.h>

#include <memory>

#include "dialogs/DialogServices.h"
#include "dialogs/ProgressEvents.h"
#include "dialogs/RemoteDialogBase.h"

namespace dialogs {

class RemoteConnectionStatus : public RemoteDialogBase {
public:
    explicit RemoteConnectionStatus(DialogServices& services);
    ~RemoteConnectionStatus() override;

protected:
    BOOL OnInitDialog() override;
    bool OnButton(int id) override;
    virtual void OnRefresh();

    void Refresh();
    void RunTests();
    void WaitForTest();
    void AddComponentLine();
    void AddStatusLines(win::ComPtr<IConnectionStatus> status);

private:
    void AddLine(const std::wstring& line);

    DialogServices& services;
    // Shared with the sink, which a tester may keep and call after we are gone.
    std::shared_ptr<ProgressEvents> events;
    win::ComPtr<ITestProgress> progress;
    // Whether the sink's stub is held for the dialog's life (CoLockObjectExternal).
    bool progressStubHeld = false;
    // How long a test may stay silent before the report goes on without it.
    const DWORD waitTimeout = 10000;
    // The wait dispatches messages, so a Refresh click can arrive mid-pass.
    bool passRunning = false;
};

}  // namespace dialogs
