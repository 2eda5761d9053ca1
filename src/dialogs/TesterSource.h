#pragma once
// How the dialogs reach the connection testers that the clients handed in.
// The server's module implements it; every call takes the module's lock.
#include <string>

#include "FarlinkUI.h"
#include "win/ComPtr.h"

namespace dialogs {

class TesterSource {
public:
    virtual ~TesterSource() = default;
    // The first tester whose process still answers; false when none does.
    virtual bool FindFirstTester(win::ComPtr<IConnectionTester>* tester) = 0;
    // The next answering tester after the last one found.
    virtual bool FindNextTester(win::ComPtr<IConnectionTester>* tester) = 0;
    // The installer product code of the client's product; empty when unknown.
    virtual std::wstring QueryProductCode() = 0;
    virtual size_t TesterCount() = 0;
};

}  // namespace dialogs
