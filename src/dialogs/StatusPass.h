#pragma once
// The tester side of one Connection Status pass, on a thread of its own: it
// starts each connected tester's test, waits for it and asks the tester and
// each of its connection statuses for their answers. The testers live in the
// client's process, so every question is a cross-process call that blocks its
// thread; made here, they leave the dialog's thread free to pump messages and
// to list the answers as they come. Nothing here builds text: translation and
// listing stay on the dialog's thread.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "FarlinkUI.h"
#include "dialogs/DialogServices.h"
#include "dialogs/ProgressEvents.h"
#include "win/ComPtr.h"
#include "win/Lock.h"
#include "win/ScopedHandle.h"

namespace dialogs {

// One piece of the report, in report order.
struct PassEntry {
    enum class Kind { Component, TesterHeader, Connection };
    Kind kind = Kind::Connection;
    // Component: the overall status as the first finished test left it.
    OverallConnectionStatus overallStatus = OCS_NotConnected;
    // TesterHeader: the tester's name (empty for a null one). Connection: the
    // name, when GetName gave S_OK and a string.
    bool hasName = false;
    std::wstring name;
    // Connection: each value only when its call returned S_OK.
    bool hasSent = false, hasReceived = false, hasError = false;
    LONGLONG sent = 0, received = 0;
    LONG error = 0;
};

class StatusPass {
public:
    // `progress` may be null: then no test starts and only the testers are probed.
    StatusPass(DialogServices& services, ITestProgress* progress,
               std::shared_ptr<ProgressEvents> events, DWORD waitTimeout);
    ~StatusPass() { Join(); }
    StatusPass(const StatusPass&) = delete;
    StatusPass& operator=(const StatusPass&) = delete;

    // Runs the pass on its thread; false (and nothing ran) when there is none.
    bool Start();
    // Runs the pass on the calling thread, which must be in the multithreaded apartment.
    void Run();
    void Join();

    // Signalled (auto-reset) when entries wait to be taken.
    HANDLE EntriesReady() const { return ready_.Get(); }
    // Signalled when the thread has ended.
    HANDLE Finished() const { return thread_.Get(); }
    std::vector<PassEntry> TakeEntries();

private:
    static DWORD WINAPI ThreadProc(void* pass);
    void WaitForTest();
    void AddConnection(IConnectionStatus* status);
    void Add(PassEntry entry);

    DialogServices& services_;
    win::ComPtr<ITestProgress> progress_;
    std::shared_ptr<ProgressEvents> events_;
    const DWORD waitTimeout_;
    win::ScopedHandle ready_;
    win::ScopedHandle thread_;
    win::Lock lock_;
    std::vector<PassEntry> entries_;
};

}  // namespace dialogs
