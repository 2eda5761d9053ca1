#include "server/CTestProgress.h"

namespace server {

STDMETHODIMP CTestProgress::Progress() {
    // Without events (an object a client created for itself) this does nothing.
    if (events_) events_->SignalProgress();
    return S_OK;
}

STDMETHODIMP CTestProgress::Completed(OverallConnectionStatus overallStatus) {
    overallStatus_.store(static_cast<int>(overallStatus));
    if (events_) events_->Complete(overallStatus);
    return S_OK;
}

}  // namespace server
