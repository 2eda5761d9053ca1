#pragma once
// What the server gives its dialogs: the testers the clients handed in (under
// one lock, held across the calls that probe them, never across a wait), the
// product code, sinks for connection tests and the dialog templates.
#include "com/ServerLock.h"
#include "dialogs/DialogServices.h"
#include "server/TesterList.h"
#include "support/DiagnosticLog.h"
#include "win/Lock.h"

namespace server {

class ServerDialogServices final : public dialogs::DialogServices {
public:
    // `lock` is the server's: each connection test's sink holds it. `log`
    // is the server's too, written only from the dialog thread.
    ServerDialogServices(com::ServerLock& lock, support::DiagnosticLog& log)
        : serverLock_(lock), log_(log) {}

    void AddTester(IConnectionTester* tester);
    // Releases every tester; the dialog thread does it as the server stops.
    void ClearTesters();

    bool FindFirstTester(win::ComPtr<IConnectionTester>* tester) override;
    bool FindNextTester(win::ComPtr<IConnectionTester>* tester) override;
    std::wstring QueryProductCode() override;
    size_t TesterCount() override;
    HRESULT CreateProgressSink(const std::shared_ptr<dialogs::ProgressEvents>& events,
                               ITestProgress** sink) override;
    HINSTANCE ResourceInstance() override { return ::GetModuleHandleW(nullptr); }
    void LogLine(const std::wstring& line) override { log_.WriteLine(line); }

private:
    com::ServerLock& serverLock_;
    support::DiagnosticLog& log_;
    win::Lock lock_;
    TesterList testers_;
};

}  // namespace server
