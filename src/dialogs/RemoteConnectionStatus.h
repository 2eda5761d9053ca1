#pragma once
// The Remote Connection Status dialog: on opening and on every Refresh, a
// report of which remote client runs, whether the plug-in is loaded in it and
// what each connected tester's connection test found.
#include <windows.h>

#include <memory>

#include "dialogs/DialogServices.h"
#include "dialogs/ProgressEvents.h"
#include "dialogs/RemoteDialogBase.h"
#include "dialogs/StatusPass.h"

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
    void AddComponentLine(OverallConnectionStatus overallStatus);
    void AddStatusLines(const PassEntry& connection);

private:
    void AddLine(const std::wstring& line);
    void PumpUntilFinished(StatusPass& pass);
    void ListEntries(const std::vector<PassEntry>& entries);
    // Lets the list box draw the lines added while its redrawing was off.
    void ShowListedLines();

    DialogServices& services;
    // Shared with the sink, which a tester may keep and call after we are gone.
    std::shared_ptr<ProgressEvents> events;
    win::ComPtr<ITestProgress> progress;
    // Whether the sink's stub is held for the dialog's life (CoLockObjectExternal).
    bool progressStubHeld = false;
    // How long a test may stay silent before the report goes on without it.
    const DWORD waitTimeout = 10000;
    // The pass dispatches messages, so a Refresh click can arrive mid-pass.
    bool passRunning = false;
    // Lines listed since the list box last drew; it draws at most this often during a pass.
    bool linesUnseen = false;
    static constexpr DWORD kShowLinesEveryMs = 250;
};

}  // namespace dialogs
