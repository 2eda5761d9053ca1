#include "dialogs/RemoteConnectionStatus.h"

#include "dialogs/TextFormat.h"
#include "resources/resource.h"
#include "support/Translation.h"

namespace dialogs {

using support::Translate;

RemoteConnectionStatus::RemoteConnectionStatus(DialogServices& services)
    : services(services), events(std::make_shared<ProgressEvents>()) {}

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
    linesUnseen = true;
}

void RemoteConnectionStatus::Refresh() {
    passRunning = true;
    HWND list = ::GetDlgItem(Window(), IDC_STATUS_LIST);
    // Under Wine a visible list box redraws itself and its scroll bar for every
    // added line, which cost more than all the pass's calls to the testers: the
    // lines go in unseen and show in batches.
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
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
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
    linesUnseen = false;
    passRunning = false;
}

void RemoteConnectionStatus::RunTests() {
    StatusPass pass(services, progress.Get(), events, waitTimeout);
    if (pass.Start()) {
        PumpUntilFinished(pass);
    } else {
        // Without a thread of its own the pass blocks this one, messages and all.
        pass.Run();
    }
    ListEntries(pass.TakeEntries());
}

void RemoteConnectionStatus::PumpUntilFinished(StatusPass& pass) {
    HANDLE handles[2] = {pass.Finished(), pass.EntriesReady()};
    DWORD shownAt = ::GetTickCount();
    for (;;) {
        DWORD wait = ::MsgWaitForMultipleObjects(2, handles, FALSE, INFINITE, QS_ALLINPUT);
        if (wait == WAIT_OBJECT_0 + 2) {
            // Dispatched directly: mouse clicks reach every window of the
            // thread, dialog keys (Tab, Escape) wait for the modal loop.
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
        ListEntries(pass.TakeEntries());
        if (linesUnseen && ::GetTickCount() - shownAt >= kShowLinesEveryMs) {
            ShowListedLines();
            shownAt = ::GetTickCount();
        }
        // A wait that cannot work would otherwise spin at once, forever.
        if (wait == WAIT_OBJECT_0 || wait == WAIT_FAILED) break;
    }
    pass.Join();
}

void RemoteConnectionStatus::ShowListedLines() {
    HWND list = ::GetDlgItem(Window(), IDC_STATUS_LIST);
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ::RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    linesUnseen = false;
}

void RemoteConnectionStatus::ListEntries(const std::vector<PassEntry>& entries) {
    for (const PassEntry& entry : entries) {
        switch (entry.kind) {
            case PassEntry::Kind::Component: AddComponentLine(entry.overallStatus); break;
            case PassEntry::Kind::TesterHeader: AddLine(FormatText(L"--- %s ---", {entry.name})); break;
            case PassEntry::Kind::Connection: AddStatusLines(entry); break;
        }
    }
}

void RemoteConnectionStatus::AddComponentLine(OverallConnectionStatus overallStatus) {
    std::wstring connection, name, driver;
    bool hasConnection = GetConnectionStatusText(overallStatus, connection);
    GetChannelName(detector.GetType(), name);
    bool hasDriver = GetDriverLoadText(detector.dllLoaded, driver);
    std::wstring line;
    if (hasDriver && hasConnection) line = FormatText(L"%s - %s, %s", {name, driver, connection});
    else if (hasDriver) line = FormatText(L"%s - %s", {name, driver});
    else if (hasConnection) line = FormatText(L"%s %s", {name, connection});
    else line = FormatText(L"%s", {name});
    AddLine(line);
}

void RemoteConnectionStatus::AddStatusLines(const PassEntry& connection) {
    if (connection.hasName) AddLine(FormatText(L"%s:", {connection.name}));
    const wchar_t kAgoContext[] = L"Remote connection status: eg 5 seconds ago";
    std::wstring ago;
    if (connection.hasSent && GetTimeAgoText(connection.sent, ago))
        AddLine(FormatText(Translate(kAgoContext, L"- last message sent %s ago"), {ago}));
    if (connection.hasReceived && GetTimeAgoText(connection.received, ago))
        AddLine(FormatText(Translate(kAgoContext, L"- last message received %s ago"), {ago}));
    if (connection.hasError && connection.error != 0) {
        unsigned long value = static_cast<unsigned long>(connection.error);
        AddLine(FormatText(
            Translate(L"Remote connection status: same error code as decimal and hexadecimal",
                      L"- last error %u (%x)"),
            {value, value}));
    }
}

}  // namespace dialogs
