#pragma once
// The sink a connection test reports to. It only stores the final status and
// signals the events it shares with the waiting dialog; the events live as
// long as either of the two holds them.
#include <atomic>
#include <memory>

#include "FarlinkUI.h"
#include "dialogs/ProgressEvents.h"
#include "server/ComObject.h"
#include "server/DispatchImpl.h"

namespace server {

class CTestProgress : public DispatchImpl<ITestProgress>, public ServerObject {
public:
    STDMETHODIMP Progress() override;
    STDMETHODIMP Completed(OverallConnectionStatus overallStatus) override;

    // Before the object is handed out; a client-created object has none.
    void SetEvents(std::shared_ptr<dialogs::ProgressEvents> events) { events_ = std::move(events); }
    // Valid once the completed event has fired.
    OverallConnectionStatus GetOverallStatus() const {
        return static_cast<OverallConnectionStatus>(overallStatus_.load());
    }

private:
    std::shared_ptr<dialogs::ProgressEvents> events_;
    std::atomic<int> overallStatus_{OCS_NotConnected};
};

}  // namespace server
