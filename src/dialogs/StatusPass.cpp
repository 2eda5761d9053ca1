#include "dialogs/StatusPass.h"

#include "win/Bstr.h"
#include "win/ComApartment.h"
#include "win/ExceptionBarrier.h"

namespace dialogs {

StatusPass::StatusPass(DialogServices& services, ITestProgress* progress,
                       std::shared_ptr<ProgressEvents> events, DWORD waitTimeout)
    : services_(services),
      progress_(progress),
      events_(std::move(events)),
      waitTimeout_(waitTimeout),
      ready_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

bool StatusPass::Start() {
    if (!ready_ || thread_) return false;
    thread_.Reset(::CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr));
    return thread_.IsValid();
}

void StatusPass::Join() {
    if (thread_) ::WaitForSingleObject(thread_.Get(), INFINITE);
}

DWORD WINAPI StatusPass::ThreadProc(void* param) {
    return win::CallbackBarrier<DWORD>(1, [param]() -> DWORD {
        // The testers' proxies belong to the multithreaded apartment, which
        // the dialog's thread is in as well: no marshaling between the two.
        win::ComApartment apartment;
        static_cast<StatusPass*>(param)->Run();
        return 0;
    });
}

void StatusPass::Run() {
    // Read before the enumeration drops dead testers: a tester that died still
    // counts towards the headers.
    const size_t count = services_.TesterCount();
    win::ComPtr<IConnectionTester> tester;
    if (!services_.FindFirstTester(&tester)) return;
    bool componentLineDue = true;
    do {
        if (!progress_ || FAILED(tester->StartConnectionTest(progress_.Get()))) continue;
        WaitForTest();
        if (componentLineDue) {
            PassEntry component;
            component.kind = PassEntry::Kind::Component;
            component.overallStatus = events_->OverallStatus();
            Add(std::move(component));
            componentLineDue = false;
        }
        if (count > 1) {
            win::Bstr name;
            if (tester->GetName(name.Put()) == S_OK) {
                PassEntry header;
                header.kind = PassEntry::Kind::TesterHeader;
                header.name = name.ToString();
                Add(std::move(header));
            }
        }
        win::ComPtr<IConnectionStatus> status;
        VARIANT_BOOL first = VARIANT_TRUE;
        while (tester->EnumStatus(first, status.Put()) == S_OK) {
            AddConnection(status.Get());
            first = VARIANT_FALSE;
        }
    } while (services_.FindNextTester(&tester));
}

void StatusPass::WaitForTest() {
    HANDLE handles[2] = {events_->CompletedEvent(), events_->ProgressEvent()};
    // Progress restarts the full time-out; completion, the time-out or a wait
    // that cannot work (it would return at once, forever) end it.
    for (;;) {
        DWORD wait = ::WaitForMultipleObjects(2, handles, FALSE, waitTimeout_);
        if (wait != WAIT_OBJECT_0 + 1) return;
    }
}

void StatusPass::AddConnection(IConnectionStatus* status) {
    PassEntry entry;
    win::Bstr name;
    if (status->GetName(name.Put()) == S_OK && !name.IsNull()) {
        entry.hasName = true;
        entry.name = name.ToString();
    }
    entry.hasSent = status->GetLastMessageSend(&entry.sent) == S_OK;
    entry.hasReceived = status->GetLastMessageReceived(&entry.received) == S_OK;
    entry.hasError = status->GetLastError(&entry.error) == S_OK;
    Add(std::move(entry));
}

void StatusPass::Add(PassEntry entry) {
    {
        win::AutoLock lock(lock_);
        entries_.push_back(std::move(entry));
    }
    ::SetEvent(ready_.Get());
}

std::vector<PassEntry> StatusPass::TakeEntries() {
    std::vector<PassEntry> taken;
    win::AutoLock lock(lock_);
    taken.swap(entries_);
    return taken;
}

}  // namespace dialogs
