#include "DialogDriver.h"

#include <vector>

#include "Output.h"
#include "resources/resource.h"

namespace farlinkdrive {

namespace {

const wchar_t kDesktopCaption[] = L"Corvane \x2013 Remote Desktop";
const wchar_t kStatusCaption[] = L"Corvane \x2013 Remote Connection Status";
// The static control that holds a message box's text.
constexpr int kMessageBoxText = 0xFFFF;

struct Search {
    const wchar_t* caption;
    int requiredChild;  // 0: the window must have no child with `forbiddenChild`
    int forbiddenChild;
    std::vector<HWND> found;
};

std::wstring TextOf(HWND window) {
    // WM_GETTEXT rather than GetWindowText: the latter does not ask controls
    // of another process for their text.
    LRESULT length = ::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
    ::SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

// The caption as the window manager keeps it. No message reaches the
// dialog's thread: a connection test's wait restarts its time-out at every
// message, so polling with messages would keep it waiting for ever.
std::wstring CaptionOf(HWND window) {
    wchar_t text[128] = {};
    ::GetWindowTextW(window, text, 128);
    return text;
}

BOOL CALLBACK Collect(HWND window, LPARAM param) {
    Search* search = reinterpret_cast<Search*>(param);
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    if (::lstrcmpW(className, L"#32770") != 0) return TRUE;
    if (CaptionOf(window) != search->caption) return TRUE;
    if (search->requiredChild && !::GetDlgItem(window, search->requiredChild)) return TRUE;
    if (search->forbiddenChild && ::GetDlgItem(window, search->forbiddenChild)) return TRUE;
    search->found.push_back(window);
    return TRUE;
}

std::vector<HWND> FindAll(const wchar_t* caption, int requiredChild, int forbiddenChild) {
    Search search{caption, requiredChild, forbiddenChild, {}};
    ::EnumWindows(Collect, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> FindAll(DialogKind kind) {
    return kind == DialogKind::RemoteDesktop ? FindAll(kDesktopCaption, IDC_CHANNEL_LIST, 0)
                                             : FindAll(kStatusCaption, IDC_STATUS_LIST, 0);
}

std::wstring Escaped(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'\r') out += L"\\r";
        else if (c == L'\n') out += L"\\n";
        else out += c;
    }
    return out;
}

int ControlId(DialogKind kind, const std::wstring& name) {
    if (name == L"close") return IDCANCEL;
    if (kind == DialogKind::RemoteDesktop) {
        if (name == L"repair") return IDC_REPAIR;
        if (name == L"test") return IDC_TEST_CONNECTION;
        if (name == L"list") return IDC_CHANNEL_LIST;
    } else {
        if (name == L"refresh") return IDC_REFRESH;
        if (name == L"list") return IDC_STATUS_LIST;
    }
    return 0;
}

}  // namespace

bool ParseDialogKind(const std::wstring& text, DialogKind* kind) {
    if (text == L"desktop") *kind = DialogKind::RemoteDesktop;
    else if (text == L"status") *kind = DialogKind::ConnectionStatus;
    else return false;
    return true;
}

HWND FindDialog(DialogKind kind) {
    for (HWND window : FindAll(kind))
        if (::IsWindowVisible(window)) return window;
    return nullptr;
}

HWND WaitForDialog(DialogKind kind, DWORD ms) {
    DWORD start = ::GetTickCount();
    for (;;) {
        if (HWND window = FindDialog(kind)) return window;
        if (::GetTickCount() - start > ms) return nullptr;
        ::Sleep(50);
    }
}

bool WaitForDialogGone(DialogKind kind, DWORD ms) {
    DWORD start = ::GetTickCount();
    for (;;) {
        if (FindAll(kind).empty()) return true;
        if (::GetTickCount() - start > ms) return false;
        ::Sleep(50);
    }
}

int CountDialogs(DialogKind kind) { return static_cast<int>(FindAll(kind).size()); }

void PrintDialog(HWND dialog, DialogKind kind) {
    bool desktop = kind == DialogKind::RemoteDesktop;
    if (desktop) PrintLine(L"authorization=" + TextOf(::GetDlgItem(dialog, IDC_AUTHORIZATION)));
    HWND list = ::GetDlgItem(dialog, desktop ? IDC_CHANNEL_LIST : IDC_STATUS_LIST);
    LRESULT count = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = ::SendMessageW(list, LB_GETTEXTLEN, i, 0);
        if (length < 0) continue;
        std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
        ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        PrintLine(L"line=" + Escaped(text.data()));
    }
    if (desktop) {
        bool enabled = ::IsWindowEnabled(::GetDlgItem(dialog, IDC_REPAIR));
        PrintLine(std::wstring(L"repair=") + (enabled ? L"enabled" : L"disabled"));
    }
    PrintLine(L"description=" + TextOf(::GetDlgItem(dialog, IDC_DESCRIPTION)));
    RECT rect = {};
    ::GetWindowRect(dialog, &rect);
    PrintLine(L"position=" + std::to_wstring(rect.left) + L"," + std::to_wstring(rect.top));
}

bool ClickButton(HWND dialog, DialogKind kind, const std::wstring& button) {
    int id = ControlId(kind, button);
    HWND control = id ? ::GetDlgItem(dialog, id) : nullptr;
    if (!control || button == L"list") return false;
    return ::PostMessageW(control, BM_CLICK, 0, 0) != FALSE;
}

bool PressButton(HWND dialog, DialogKind kind, const std::wstring& button) {
    int id = ControlId(kind, button);
    HWND control = id ? ::GetDlgItem(dialog, id) : nullptr;
    if (!control || button == L"list") return false;
    DWORD_PTR ignored = 0;
    return ::SendMessageTimeoutW(control, BM_CLICK, 0, 0, SMTO_NORMAL, 120000, &ignored) != 0;
}

bool FocusControl(HWND dialog, DialogKind kind, const std::wstring& name) {
    int id = ControlId(kind, name);
    HWND control = id ? ::GetDlgItem(dialog, id) : nullptr;
    if (!control) return false;
    // SetFocus works only within a thread; the dialog moves its own focus.
    return ::PostMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE) != FALSE;
}

bool AnswerMessageBox(DWORD ms) {
    DWORD start = ::GetTickCount();
    for (;;) {
        for (HWND box : FindAll(kDesktopCaption, 0, IDC_CHANNEL_LIST)) {
            if (!::IsWindowVisible(box)) continue;
            PrintLine(L"message=" + TextOf(::GetDlgItem(box, kMessageBoxText)));
            ::PostMessageW(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
            return true;
        }
        if (::GetTickCount() - start > ms) return false;
        ::Sleep(50);
    }
}

}  // namespace farlinkdrive
