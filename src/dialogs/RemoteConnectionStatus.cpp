#include "dialogs/RemoteConnectionStatus.h"

#include "support/TextFormat.h"
#include "resources/resource.h"
#include "support/Translation.h"
#include "win/Bstr.h"

namespace dialogs {

using support::FormatText;
using support::Translate;

namespace {

// Dispatched directly: mouse clicks reach every window of the thread, dialog
// keys (Tab, Escape) wait for the modal loop.
void DispatchPendingMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// Wine repaints a visible list box and its scroll bar for every added line,
// about 9 ms a line, which for a tester with a thousand statuses cost as much
// as its calls. While one tester's statuses are listed the list draws every
// quarter second and once at the end, and the thread answers its messages
// at the same moments, so a long listing never leaves the dialog dead.
class BatchedListDrawing {
public:
    explicit BatchedListDrawing(HWND list) : list(list), shown(::GetTickCount()) {
        ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    }
    ~BatchedListDrawing() { Show(); }
    BatchedListDrawing(const BatchedListDrawing&) = delete;
    BatchedListDrawing& operator=(const BatchedListDrawing&) = delete;

    void LinesAdded() {
        if (::GetTickCount() - shown < kInterval) return;
        Show();
        DispatchPendingMessages();
        ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    }

private:
    static constexpr DWORD kInterval = 250;

    void Show() {
        ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        ::RedrawWindow(list, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
        shown = ::GetTickCount();
    }

    HWND list;
    DWORD shown;
};

}  // namespace

RemoteConnectionStatus::RemoteConnectionStatus(DialogServices& services)
    : RemoteDialogBase(&services),
      services(services),
      events(std::make_shared<ProgressEvents>()) {}

RemoteConnectionStatus::~RemoteConnectionStatus() {
    if (progressStubHeld) ::CoLockObjectExternal(progress.Get(), FALSE, TRUE);
}

bool RemoteConnectionStatus::OnButton(int id) {
    if (id != IDC_REFRESH) return false;
    OnRefresh();
    return true;
}

BOOL RemoteConnectionStatus::OnInitDialog() {
    // One sink for every test of this dialog. Without it no test can report,
    // and the report shows that no test ran.
    if (events->IsValid()) services.CreateProgressSink(events, progress.Put());
    // COM drops an object's stub with the last external reference, so every
    // test would hand out the sink through a stub built afresh, and Wine 8
    // leaks about 2 KB with each stub it builds from the type library. Held,
    // one stub serves every pass of this dialog.
    if (progress) progressStubHeld = SUCCEEDED(::CoLockObjectExternal(progress.Get(), TRUE, FALSE));
    // The first pass runs before the dialog shows: the user sees a finished report.
    Refresh();
    return TRUE;
}

void RemoteConnectionStatus::OnRefresh() {
    // A click that arrives while a pass waits would start a pass inside the
    // running one and interleave the two reports.
    if (!passRunning) Refresh();
}

void RemoteConnectionStatus::AddLine(const std::wstring& line) {
    AddListLine(Window(), IDC_STATUS_LIST, line);
}

void RemoteConnectionStatus::Refresh() {
    passRunning = true;
    ::SendDlgItemMessageW(Window(), IDC_STATUS_LIST, LB_RESETCONTENT, 0, 0);
    std::wstring stamp;
    GetTestTimeText(true, stamp);
    AddLine(stamp);
    if (detector.FindClientProcess()) {
        RunTests();
    } else if (!remoteSession) {
        // "conection": the catalogues are keyed by this spelling.
        AddLine(Translate(L"Remote conection status",
                          detector.multipleClients
                              ? L"Client machine with multiple server hosts running."
                              : L"Client machine with no remote host running"));
    }
    GetTestTimeText(false, stamp);
    AddLine(stamp);
    passRunning = false;
}

void RemoteConnectionStatus::RunTests() {
    // Read before the enumeration drops dead testers: a tester that died still
    // counts towards the headers.
    size_t count = services.TesterCount();
    win::ComPtr<IConnectionTester> tester;
    if (!services.FindFirstTester(&tester)) return;
    bool componentLineDue = true;
    do {
        if (!progress || FAILED(tester->StartConnectionTest(progress.Get()))) continue;
        WaitForTest();
        if (componentLineDue) {
            AddComponentLine();
            componentLineDue = false;
        }
        if (count > 1) {
            win::Bstr name;
            if (tester->GetName(name.Put()) == S_OK)
                AddLine(FormatText(L"--- %s ---", {name.ToString()}));
        }
        BatchedListDrawing drawing(::GetDlgItem(Window(), IDC_STATUS_LIST));
        win::ComPtr<IConnectionStatus> status;
        VARIANT_BOOL first = VARIANT_TRUE;
        while (tester->EnumStatus(first, status.Put()) == S_OK) {
            AddStatusLines(std::move(status));
            drawing.LinesAdded();
            first = VARIANT_FALSE;
        }
    } while (services.FindNextTester(&tester));
}

void RemoteConnectionStatus::WaitForTest() {
    HANDLE handles[2] = {events->CompletedEvent(), events->ProgressEvent()};
    for (;;) {
        // Progress and every message restart the full time-out.
        DWORD wait = ::MsgWaitForMultipleObjects(2, handles, FALSE, waitTimeout, QS_ALLINPUT);
        if (wait == WAIT_OBJECT_0 || wait == WAIT_TIMEOUT) return;
        // A wait that cannot work would otherwise spin at once, forever.
        if (wait == WAIT_FAILED) return;
        if (wait == WAIT_OBJECT_0 + 2) DispatchPendingMessages();
    }
}

void RemoteConnectionStatus::AddComponentLine() {
    std::wstring connection, name, driver;
    bool hasConnection = GetConnectionStatusText(events->OverallStatus(), connection);
    GetChannelName(detector.GetType(), name);
    bool hasDriver = GetDriverLoadText(detector.dllLoaded, driver);
    std::wstring line;
    if (hasDriver && hasConnection) line = FormatText(L"%s - %s, %s", {name, driver, connection});
    else if (hasDriver) line = FormatText(L"%s - %s", {name, driver});
    else if (hasConnection) line = FormatText(L"%s %s", {name, connection});
    else line = FormatText(L"%s", {name});
    AddLine(line);
}

void RemoteConnectionStatus::AddStatusLines(win::ComPtr<IConnectionStatus> status) {
    win::Bstr name;
    if (status->GetName(name.Put()) == S_OK && !name.IsNull())
        AddLine(FormatText(L"%s:", {name.ToString()}));
    const wchar_t kAgoContext[] = L"Remote connection status: eg 5 seconds ago";
    LONGLONG time = 0;
    std::wstring ago;
    if (status->GetLastMessageSend(&time) == S_OK && GetTimeAgoText(time, ago))
        AddLine(FormatText(Translate(kAgoContext, L"- last message sent %s ago"), {ago}));
    time = 0;
    if (status->GetLastMessageReceived(&time) == S_OK && GetTimeAgoText(time, ago))
        AddLine(FormatText(Translate(kAgoContext, L"- last message received %s ago"), {ago}));
    LONG error = 0;
    if (status->GetLastError(&error) == S_OK && error != 0) {
        unsigned long value = static_cast<unsigned long>(error);
        AddLine(FormatText(
            Translate(L"Remote connection status: same error code as decimal and hexadecimal",
                      L"- last error %u (%x)"),
            {value, value}));
    }
}

}  // namespace dialogs
