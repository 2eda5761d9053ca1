#pragma once
// The sink a connection test reports to. It only signals the events it shares
// with the waiting dialog; the events live as long as either of the two holds
// them.
#include <memory>

#include "FarlinkUI.h"
#include "com/ComObject.h"
#include "com/DispatchImpl.h"
#include "dialogs/ProgressEvents.h"

namespace server {

class CTestProgress : public com::DispatchImpl<ITestProgress, &LIBID_FarlinkUILib>,
                      public com::ServerObject {
public:
    explicit CTestProgress(com::ServerLock& lock) : ServerObject(lock) {}

    STDMETHODIMP Progress() override;
    STDMETHODIMP Completed(OverallConnectionStatus overallStatus) override;

    // Before the object is handed out; a client-created object has none.
    void SetEvents(std::shared_ptr<dialogs::ProgressEvents> events) { events_ = std::move(events); }

private:
    std::shared_ptr<dialogs::ProgressEvents> events_;
};

}  // namespace server
