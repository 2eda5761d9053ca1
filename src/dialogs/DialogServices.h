#pragma once
// What the dialogs need from the server that hosts them: the connection
// testers the clients handed in, the product code, a sink for connection
// tests, where the dialog templates live, and the log of listed lines. The server's module implements
// it, so the dialogs never depend on the server.
#include <windows.h>

#include <memory>
#include <string>

#include "FarlinkUI.h"
#include "win/ComPtr.h"

namespace dialogs {

class ProgressEvents;

class DialogServices {
public:
    virtual ~DialogServices() = default;
    // The first tester whose process still answers; false when none does.
    virtual bool FindFirstTester(win::ComPtr<IConnectionTester>* tester) = 0;
    // The next answering tester after the last one found.
    virtual bool FindNextTester(win::ComPtr<IConnectionTester>* tester) = 0;
    // The installer product code of the client's product; empty when unknown.
    virtual std::wstring QueryProductCode() = 0;
    // Connected testers, dead ones not yet dropped included.
    virtual size_t TesterCount() = 0;
    // A TestProgress object that reports into `events`. It shares the events,
    // so a tester that keeps it and calls it after the dialog has gone only
    // signals events nobody waits on.
    virtual HRESULT CreateProgressSink(const std::shared_ptr<ProgressEvents>& events,
                                       ITestProgress** sink) = 0;
    // The module holding the dialog templates.
    virtual HINSTANCE ResourceInstance() = 0;
    // Appends a line the dialog has just listed to RemoteDesktop.txt.
    virtual void LogLine(const std::wstring& line) = 0;
};

}  // namespace dialogs
