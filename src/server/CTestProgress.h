#pragma once
// The sink a connection test reports to. It only stores the final status and
// signals the owner's events; the owner creates and closes those events.
#include "FarlinkUI.h"
#include "server/ComObject.h"
#include "server/DispatchImpl.h"

namespace server {

class CTestProgress : public DispatchImpl<ITestProgress>, public ServerObject {
public:
    STDMETHODIMP Progress() override;
    STDMETHODIMP Completed(OverallConnectionStatus overallStatus) override;

    void SetEvents(HANDLE progressEvent, HANDLE completedEvent) {
        progressEvent_ = progressEvent;
        completedEvent_ = completedEvent;
    }
    // Valid once the completed event has fired.
    OverallConnectionStatus GetOverallStatus() const { return overallStatus_; }

private:
    HANDLE progressEvent_ = nullptr;
    HANDLE completedEvent_ = nullptr;
    // Written before the completed event is signalled, read only after it.
    volatile OverallConnectionStatus overallStatus_ = OCS_NotConnected;
};

}  // namespace server
