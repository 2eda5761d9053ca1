#pragma once
// The two auto-reset events a connection test signals, and the overall status
// it reported. Shared between the waiting dialog and its TestProgress sink, so
// whichever of the two goes last closes the events.
#include <windows.h>

#include <atomic>

#include "FarlinkUI.h"
#include "win/ScopedHandle.h"

namespace dialogs {

class ProgressEvents {
public:
    ProgressEvents();
    ProgressEvents(const ProgressEvents&) = delete;
    ProgressEvents& operator=(const ProgressEvents&) = delete;

    bool IsValid() const { return progress_.IsValid() && completed_.IsValid(); }
    HANDLE ProgressEvent() const { return progress_.Get(); }
    HANDLE CompletedEvent() const { return completed_.Get(); }

    void SignalProgress();
    // Stores the status before signalling, so a waiter that saw the event reads it.
    void Complete(OverallConnectionStatus status);
    // The latest status a test completed with; OCS_NotConnected before any.
    OverallConnectionStatus OverallStatus() const {
        return static_cast<OverallConnectionStatus>(status_.load());
    }

private:
    win::ScopedHandle progress_;
    win::ScopedHandle completed_;
    std::atomic<int> status_{OCS_NotConnected};
};

}  // namespace dialogs
