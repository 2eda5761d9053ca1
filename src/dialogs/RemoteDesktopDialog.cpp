#include "dialogs/RemoteDesktopDialog.h"

#include <vector>

#include "dialogs/RemoteConnectionStatus.h"
#include "report/ChannelReport.h"
#include "resources/resource.h"

namespace dialogs {

RemoteDesktopDialog::RemoteDesktopDialog(DialogServices& services)
    : RemoteDialogBase(&services), services(services) {}

INT_PTR RemoteDesktopDialog::Run() {
    return DoModal(services.ResourceInstance(), IDD_REMOTE_DESKTOP, parentWindow);
}

bool RemoteDesktopDialog::OnButton(int id) {
    switch (id) {
        case IDC_REPAIR: OnRepair(); return true;
        case IDC_TEST_CONNECTION: OnTestConnection(); return true;
        default: return false;
    }
}

BOOL RemoteDesktopDialog::OnInitDialog() {
    FillChannelList();
    MoveOverWindow(parentWindow);
    return TRUE;
}

void RemoteDesktopDialog::FillChannelList() {
    HWND dialog = Window();
    ::SendDlgItemMessageW(dialog, IDC_CHANNEL_LIST, LB_RESETCONTENT, 0, 0);
    UpdateAuthorization();
    report::ChannelReport report(detector);
    report.Read(services.QueryProductCode());
    // Added, and so logged, in the report's order; the list box sorts them.
    for (const report::Channel& channel : report.Channels())
        AddListLine(dialog, IDC_CHANNEL_LIST, channel.line + L"\r\n");
    if (report.AllWorking()) {
        // A disabled window that keeps the focus would leave the keyboard stranded.
        HWND repair = ::GetDlgItem(dialog, IDC_REPAIR);
        if (::GetFocus() == repair) ::SetFocus(::GetDlgItem(dialog, IDC_CHANNEL_LIST));
        ::EnableWindow(repair, FALSE);
    }
}

void RemoteDesktopDialog::UpdateAuthorization() {
    win::ComPtr<IConnectionTester> tester;
    if (!services.FindFirstTester(&tester)) return;
    VARIANT_BOOL enabled = VARIANT_FALSE;
    if (tester->GetRemoteAccessAuthorization(&enabled) != S_OK) return;
    std::wstring text;
    GetAuthorizationText(enabled, text);
    ::SetWindowTextW(::GetDlgItem(Window(), IDC_AUTHORIZATION), text.c_str());
}

void RemoteDesktopDialog::OnRepair() {
    HWND dialog = Window();
    std::wstring productCode = services.QueryProductCode();
    sharedfarlink::TriState result = detector.Repair(remoteSession, productCode);
    std::vector<wchar_t> caption(::GetWindowTextLengthW(dialog) + 1, L'\0');
    ::GetWindowTextW(dialog, caption.data(), static_cast<int>(caption.size()));
    std::wstring text;
    if (GetRepairResultText(result, text))
        ::MessageBoxW(dialog, text.c_str(), caption.data(), MB_OK);
    FillChannelList();
}

void RemoteDesktopDialog::OnTestConnection() {
    RemoteConnectionStatus status(services);
    status.DoModal(services.ResourceInstance(), IDD_CONNECTION_STATUS, ::GetActiveWindow());
}

void RemoteDesktopDialog::MoveDialogOver(HWND dialog, HWND window) {
    RECT rect;
    if (!dialog || !::GetWindowRect(window, &rect)) return;
    ::SetWindowPos(dialog, nullptr, rect.left, rect.top, rect.right - rect.left,
                   rect.bottom - rect.top, SWP_NOSIZE | SWP_NOZORDER);
    ::SetForegroundWindow(dialog);
}

}  // namespace dialogs
