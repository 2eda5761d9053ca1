#include "dialogs/RemoteDesktopDialog.h"

#include <vector>

#include "dialogs/RemoteConnectionStatus.h"
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
    bool first = true;
    bool anyNotWorking = false;
    std::wstring productCode = services.QueryProductCode();
    while (detector.MoveNext(first, productCode)) AddChannelLine(anyNotWorking);
    if (!anyNotWorking) {
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

void RemoteDesktopDialog::AddChannelLine(bool& anyNotWorking) {
    std::wstring line;
    bool working = true;
    if (!BuildChannelLine(line, working)) return;
    if (!working) anyNotWorking = true;
    AddListLine(Window(), IDC_CHANNEL_LIST, line);
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
