#include "server/CTestProgress.h"

namespace server {

STDMETHODIMP CTestProgress::Progress() {
    // Without events (an object a client created for itself) this does nothing.
    if (progressEvent_) ::SetEvent(progressEvent_);
    return S_OK;
}

STDMETHODIMP CTestProgress::Completed(OverallConnectionStatus overallStatus) {
    overallStatus_ = overallStatus;
    if (completedEvent_) ::SetEvent(completedEvent_);
    return S_OK;
}

}  // namespace server
