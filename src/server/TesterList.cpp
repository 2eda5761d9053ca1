#include "server/TesterList.h"

#include "win/Bstr.h"

namespace server {

void TesterList::Add(IConnectionTester* tester) {
    testers_.push_back(win::ComPtr<IConnectionTester>(tester));
}

bool TesterList::FindFirst(win::ComPtr<IConnectionTester>* tester) {
    cursor_ = testers_.begin();
    return Probe(tester);
}

bool TesterList::FindNext(win::ComPtr<IConnectionTester>* tester) {
    if (cursor_ == testers_.end()) return false;
    ++cursor_;
    return Probe(tester);
}

bool TesterList::Probe(win::ComPtr<IConnectionTester>* tester) {
    while (cursor_ != testers_.end()) {
        *tester = *cursor_;
        win::Bstr name;
        HRESULT hr = (*tester)->GetName(name.Put());
        if (hr == S_OK) return true;
        if (hr == kClientGone) {
            // Its process has died; no later call could succeed either.
            cursor_ = testers_.erase(cursor_);
        } else {
            ++cursor_;
        }
    }
    return false;
}

std::wstring TesterList::QueryProductCode() {
    if (!productCode_.empty()) return productCode_;
    for (const win::ComPtr<IConnectionTester>& tester : testers_) {
        win::Bstr code;
        if (tester->GetProductCode(code.Put()) == S_OK && !code.IsNull())
            productCode_ = code.ToString();
        if (!productCode_.empty()) break;
    }
    return productCode_;
}

void TesterList::Clear() {
    testers_.clear();
    cursor_ = testers_.end();
}

}  // namespace server
