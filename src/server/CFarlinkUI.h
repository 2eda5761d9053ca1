#pragma once
// The class clients create. It holds no state of its own: the testers, the
// dialog and the product code belong to the module and are shared.
#include "FarlinkUI.h"
#include "com/ComObject.h"
#include "com/DispatchImpl.h"

namespace server {

class FarlinkModule;

class CFarlinkUI : public com::DispatchImpl<IFarlinkUI, &LIBID_FarlinkUILib>,
                   public com::ServerObject {
public:
    explicit CFarlinkUI(FarlinkModule& module);

    STDMETHODIMP Connect(IConnectionTester* tester) override;
    STDMETHODIMP GetProcessId(ULONG* processID) override;
    STDMETHODIMP ShowRemoteDesktopDialog(LONGLONG hwndParent,
                                         BSTR threeLetterLanguageCode) override;

private:
    FarlinkModule& module_;
};

}  // namespace server
