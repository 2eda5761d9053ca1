#include "server/CTestProgress.h"

namespace server {

// Without events (an object a client created for itself) both calls do nothing.
STDMETHODIMP CTestProgress::Progress() {
    if (events_) events_->SignalProgress();
    return S_OK;
}

STDMETHODIMP CTestProgress::Completed(OverallConnectionStatus overallStatus) {
    if (events_) events_->Complete(overallStatus);
    return S_OK;
}

}  // namespace server
