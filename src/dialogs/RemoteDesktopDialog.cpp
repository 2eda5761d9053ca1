#include "dialogs/RemoteDesktopDialog.h"

namespace dialogs {

RemoteDesktopDialog::RemoteDesktopDialog(TesterSource& testers) : testers_(testers) {}

void RemoteDesktopDialog::Run(HWND) {
    // The window itself is not built yet; what its initialisation asks of the
    // testers already happens: the first live tester's authorisation and the
    // product code.
    win::ComPtr<IConnectionTester> tester;
    if (testers_.FindFirstTester(&tester)) {
        VARIANT_BOOL enabled = VARIANT_FALSE;
        tester->GetRemoteAccessAuthorization(&enabled);
    }
    testers_.QueryProductCode();
}

void MoveOverWindow(HWND dialog, HWND parent) {
    RECT rect;
    if (!dialog || !::GetWindowRect(parent, &rect)) return;
    ::SetWindowPos(dialog, nullptr, rect.left, rect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ::SetForegroundWindow(dialog);
}

}  // namespace dialogs
