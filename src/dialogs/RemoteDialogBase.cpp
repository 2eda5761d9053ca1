#include "dialogs/RemoteDialogBase.h"

#include <ctime>

#include "support/TextFormat.h"
#include "report/ChannelTexts.h"
#include "resources/resource.h"
#include "support/Translation.h"

namespace dialogs {

using support::FormatText;
using support::Translate;

namespace {

const wchar_t kTimeContext[] = L"Remote connection status";

// One unit of the elapsed-time text: the singular has a message id of its own,
// only the plural is a format.
std::wstring UnitText(long long count, const wchar_t* one, const wchar_t* many) {
    if (count <= 1) return Translate(kTimeContext, one);
    return FormatText(Translate(kTimeContext, many), {static_cast<unsigned long>(count)});
}

}  // namespace

std::wstring TimeAgoText(long long d) {
    // Every division truncates toward zero, so a negative difference leaves
    // every unit at 0 or below and ends as "1 second".
    long long days = d / 86400;
    if (days > 0) return UnitText(days, L"1 day", L"%u days");
    long long hours = d / 3600 - days * 24;
    if (hours > 0) return UnitText(hours, L"1 hour", L"%u hours");
    long long minutes = d / 60 - (d / 3600) * 60;
    if (minutes > 0) return UnitText(minutes, L"1 minute", L"%u minutes");
    long long seconds = d - (d / 60) * 60;
    return UnitText(seconds, L"1 second", L"%u seconds");
}

RemoteDialogBase::RemoteDialogBase(DialogServices* services)
    : remoteSession(detector.inRemoteSession), lineLog_(services) {}

INT_PTR RemoteDialogBase::HandleMessage(UINT message, WPARAM wParam, LPARAM, bool& handled) {
    switch (message) {
        case WM_INITDIALOG:
            handled = true;
            return OnInitDialog();
        case WM_COMMAND:
            if (HIWORD(wParam) != BN_CLICKED) return FALSE;
            if (LOWORD(wParam) == IDCANCEL) OnClose();
            else if (!OnButton(LOWORD(wParam))) return FALSE;
            handled = true;
            return TRUE;
        case WM_CTLCOLORBTN:
            // Every push button asks before it paints, so the description
            // follows the focus from button to button.
            UpdateFocusDescription(Window());
            handled = true;
            return 1;
        default: return FALSE;
    }
}

bool RemoteDialogBase::OnButton(int) { return false; }

void RemoteDialogBase::OnClose() { ::EndDialog(Window(), 0); }

void RemoteDialogBase::GetChannelStatusText(bool working, std::wstring& text) {
    text = report::ChannelStateText(working);
}

void RemoteDialogBase::GetAuthorizationText(VARIANT_BOOL enabled, std::wstring& text) {
    // Only all sixteen bits set is true: 1, as some callers send it, is not.
    text = Translate(L"Remote access authorization",
                     enabled == VARIANT_TRUE ? L"Enabled" : L"Disabled");
}

void RemoteDialogBase::GetChannelName(int type, std::wstring& text) {
    text = report::ChannelName(type);
}

bool RemoteDialogBase::GetDriverLoadText(sharedfarlink::TriState loaded, std::wstring& text) {
    if (loaded != 0 && loaded != 1) {
        text.clear();
        return false;
    }
    text = Translate(L"Driver load status", loaded == 1 ? L"loaded" : L"not loaded");
    return true;
}

bool RemoteDialogBase::GetConnectionStatusText(OverallConnectionStatus status, std::wstring& text) {
    if (status != OCS_Connected && status != OCS_NotConnected) {
        text.clear();
        return false;
    }
    text = Translate(kTimeContext, status == OCS_Connected ? L"connected" : L"not connected");
    return true;
}

bool RemoteDialogBase::GetTimeAgoText(long long time, std::wstring& text) {
    if (time == 0) {
        text.clear();
        return false;
    }
    // The product's times may lie anywhere in the 64-bit range: the difference
    // is taken modulo 2^64, as the machine would wrap it, without the
    // undefined signed overflow (a time far in the past then reads as the future).
    const unsigned long long now = static_cast<unsigned long long>(::_time64(nullptr));
    text = TimeAgoText(static_cast<long long>(now - static_cast<unsigned long long>(time)));
    return true;
}

void RemoteDialogBase::GetTestTimeText(bool started, std::wstring& text) {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    std::wstring label = Translate(kTimeContext, started ? L"Test started" : L"Test completed");
    wchar_t clock[32] = {};
    if (!::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &now, nullptr, clock, 32)) clock[0] = L'\0';
    text = FormatText(L"%s: %s", {label, clock});
}

bool RemoteDialogBase::GetRepairResultText(sharedfarlink::TriState result, std::wstring& text) {
    text = report::RepairResultText(result);
    return !text.empty();
}

void RemoteDialogBase::UpdateFocusDescription(HWND dialog) {
    const wchar_t kDesktop[] = L"Remote Desktop dialog box";
    const wchar_t kStatus[] = L"Remote Connection Status dialog box";
    struct Description {
        int controlId;
        const wchar_t* context;
        const wchar_t* msgid;
    };
    // Close is described in the Remote Desktop context in both dialogs.
    const Description kDescriptions[] = {
        {IDCANCEL, kDesktop, L"Closes the current dialog box."},
        {IDC_CHANNEL_LIST, kDesktop, L"Status of the Corvane remote channels."},
        {IDC_REPAIR, kDesktop, L"Attempt to repair the channels that are not working."},
        {IDC_TEST_CONNECTION, kDesktop,
         L"Opens a dialog box that tests the connection status. This may take a minute."},
        {IDC_STATUS_LIST, kStatus, L"Lists the connection status for all virtual channels used."},
        {IDC_REFRESH, kStatus, L"Re-tests the connection status. This may take a minute."},
    };
    HWND focus = ::GetFocus();
    const int focusId = focus ? ::GetDlgCtrlID(focus) : 0;
    std::wstring text;
    for (const Description& description : kDescriptions) {
        if (description.controlId == focusId) {
            text = Translate(description.context, description.msgid);
            break;
        }
    }
    ::SetDlgItemTextW(dialog, IDC_DESCRIPTION, text.c_str());
}

void RemoteDialogBase::AddListLine(HWND dialog, int controlId, std::wstring line) {
    ::SendDlgItemMessageW(dialog, controlId, LB_ADDSTRING, 0,
                          reinterpret_cast<LPARAM>(line.c_str()));
    if (lineLog_) lineLog_->LogLine(line);
}

}  // namespace dialogs
