#include "server/CFarlinkUI.h"

#include "server/FarlinkModule.h"
#include "support/Translation.h"
#include "win/ExceptionBarrier.h"

namespace server {

CFarlinkUI::CFarlinkUI(FarlinkModule& module) : ServerObject(module.Lifetime()), module_(module) {}

STDMETHODIMP CFarlinkUI::Connect(IConnectionTester* tester) {
    if (!tester) return E_POINTER;
    return win::ComBarrier([this, tester] {
        module_.Services().AddTester(tester);
        return S_OK;
    });
}

STDMETHODIMP CFarlinkUI::GetProcessId(ULONG* processID) {
    if (!processID) return E_POINTER;
    *processID = ::GetCurrentProcessId();
    return S_OK;
}

STDMETHODIMP CFarlinkUI::ShowRemoteDesktopDialog(LONGLONG hwndParent,
                                                 BSTR threeLetterLanguageCode) {
    return win::ComBarrier([&] {
        // Only the first call in the process sets the language; it completes
        // before the dialog thread is woken, which is the only thread
        // translating. A null BSTR is the empty string.
        support::InitializeTranslation(threeLetterLanguageCode ? threeLetterLanguageCode : L"");
        // Window handles are 32 bits wide even in a 64-bit process; the
        // client sends one as a 64-bit integer.
        HWND parent = reinterpret_cast<HWND>(
            static_cast<ULONG_PTR>(static_cast<ULONG>(hwndParent & 0xFFFFFFFF)));
        module_.Dialogs().Show(parent);
        return S_OK;
    });
}

}  // namespace server
