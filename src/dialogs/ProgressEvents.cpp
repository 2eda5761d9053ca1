#include "dialogs/ProgressEvents.h"

namespace dialogs {

ProgressEvents::ProgressEvents()
    : progress_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      completed_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

void ProgressEvents::SignalProgress() {
    if (progress_) ::SetEvent(progress_.Get());
}

void ProgressEvents::Complete(OverallConnectionStatus status) {
    status_.store(static_cast<int>(status));
    if (completed_) ::SetEvent(completed_.Get());
}

}  // namespace dialogs
