#pragma once
// The connection testers the clients handed in, in the order of their Connect
// calls, with the cursor the dialogs enumerate them by. Not thread-safe: the
// module's lock guards every use.
#include <list>
#include <string>

#include "FarlinkUI.h"
#include "win/ComPtr.h"

namespace server {

// A call on a tester whose process has gone answers this (RPC_S_SERVER_UNAVAILABLE).
constexpr HRESULT kClientGone = static_cast<HRESULT>(0x800706BA);

class TesterList {
public:
    TesterList() = default;
    TesterList(const TesterList&) = delete;
    TesterList& operator=(const TesterList&) = delete;

    // Appends with a reference of its own; the same tester may be listed twice.
    void Add(IConnectionTester* tester);

    // Cursor to the start, then the first tester that answers GetName.
    bool FindFirst(win::ComPtr<IConnectionTester>* tester);
    // The next live tester after the cursor's.
    bool FindNext(win::ComPtr<IConnectionTester>* tester);

    // Asks each tester in order for the product code until one gives a
    // non-empty one; the answer is kept, so later calls ask nobody.
    std::wstring QueryProductCode();

    size_t Count() const { return testers_.size(); }
    void Clear();

private:
    bool Probe(win::ComPtr<IConnectionTester>* tester);

    std::list<win::ComPtr<IConnectionTester>> testers_;
    std::list<win::ComPtr<IConnectionTester>>::iterator cursor_ = testers_.end();
    std::wstring productCode_;
};

}  // namespace server
