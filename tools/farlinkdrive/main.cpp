// farlinkdrive: a console client that plays the maker's product. It creates
// FarlinkUI, hands it testers whose behaviour the command line sets, calls the
// server step by step and prints what happened, one line per event.
//
//   farlinkdrive [--tester BEHAVIOUR]... [--wait SECONDS] STEP...
//
// BEHAVIOUR is a comma-separated list of key=value:
//   name=TEXT  auth=true|false|<16-bit number>  auth-hr=HRESULT  name-hr=HRESULT
//   product=CODE  start-hr=HRESULT  progress=N  progress-delay=MS
//   complete-delay=MS  outcome=0|1|2  no-complete
//   status=NAME/SENT/RECEIVED/ERROR   (repeatable; times in seconds since 1970)
//
// STEPs run in order:
//   connect        Connect every tester          connect-null   Connect(null)
//   pid            print the server's process id  qi-dispatch    QI for IDispatch
//   late-pid       GetProcessId by name through IDispatch
//   show[:LANG]    ShowRemoteDesktopDialog (parent from --parent HWND, else 0)
//   testprogress   create TestProgress and call it
//   sleep:MS       wait                          wait-input     wait for a line on stdin
//   release        release FarlinkUI             watch-exit     wait for the server to end
//   parent-window:X,Y  open a window of our own at X,Y; later shows use it as the parent
//
// --wait sets how long the dialog steps wait for what they need (60 s unless
// given) and watch-exit for the end (30 s unless given).
// Dialog steps; KIND is "desktop" (Remote Desktop) or "status" (Connection Status):
//   wait-dialog:KIND   wait until it is visible     wait-gone:KIND  wait until it is closed
//   read:KIND          print every text it shows    count:KIND      how many exist
//   click:KIND:BUTTON  press a button, not waiting for its handler
//   press:KIND:BUTTON  press a button and wait until its handler has returned
//   focus:KIND:CONTROL move the keyboard focus (list or a button name)
//   message-box        print the open message box's text and press OK
//   shot:KIND:FILE     save the dialog as a BMP file
// Buttons: repair, test, close (desktop); refresh, close (status).
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "ClientTester.h"
#include "DialogDriver.h"
#include "ParentWindow.h"
#include "Screenshot.h"
#include "Output.h"
#include "win/Bstr.h"
#include "win/ComApartment.h"
#include "win/ComPtr.h"
#include "win/ScopedHandle.h"

using namespace farlinkdrive;

namespace {

bool ParseNumber(const std::wstring& text, long long* value) {
    if (text.empty()) return false;
    wchar_t* end = nullptr;
    *value = std::wcstoll(text.c_str(), &end, 0);
    if (*end == L'\0') return true;
    // HRESULTs above 0x7FFFFFFF are written in hex.
    unsigned long long u = std::wcstoull(text.c_str(), &end, 0);
    if (*end != L'\0') return false;
    *value = static_cast<long long>(static_cast<long>(static_cast<unsigned long>(u)));
    return true;
}

std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (;;) {
        size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at - start));
        if (at == std::wstring::npos) return parts;
        start = at + 1;
    }
}

bool ParseTester(const std::wstring& text, TesterBehaviour* behaviour) {
    for (const std::wstring& item : Split(text, L',')) {
        size_t eq = item.find(L'=');
        std::wstring key = item.substr(0, eq);
        std::wstring value = eq == std::wstring::npos ? L"" : item.substr(eq + 1);
        long long n = 0;
        if (key == L"name") {
            behaviour->name = value;
        } else if (key == L"auth") {
            if (value == L"true") behaviour->authorization = VARIANT_TRUE;
            else if (value == L"false") behaviour->authorization = VARIANT_FALSE;
            else if (ParseNumber(value, &n)) behaviour->authorization = static_cast<VARIANT_BOOL>(n);
            else return false;
        } else if (key == L"auth-hr" && ParseNumber(value, &n)) {
            behaviour->authorizationResult = static_cast<HRESULT>(n);
        } else if (key == L"name-hr" && ParseNumber(value, &n)) {
            behaviour->nameResult = static_cast<HRESULT>(n);
        } else if (key == L"product") {
            behaviour->productCode = value;
        } else if (key == L"start-hr" && ParseNumber(value, &n)) {
            behaviour->startResult = static_cast<HRESULT>(n);
        } else if (key == L"progress" && ParseNumber(value, &n)) {
            behaviour->progressCount = static_cast<DWORD>(n);
        } else if (key == L"progress-delay" && ParseNumber(value, &n)) {
            behaviour->progressDelayMs = static_cast<DWORD>(n);
        } else if (key == L"complete-delay" && ParseNumber(value, &n)) {
            behaviour->completeDelayMs = static_cast<DWORD>(n);
        } else if (key == L"outcome" && ParseNumber(value, &n)) {
            behaviour->outcome = static_cast<OverallConnectionStatus>(n);
        } else if (key == L"no-complete" && value.empty()) {
            behaviour->complete = false;
        } else if (key == L"status") {
            std::vector<std::wstring> f = Split(value, L'/');
            StatusBehaviour status;
            long long sent = 0, received = 0, error = 0;
            if (f.size() != 4 || !ParseNumber(f[1], &sent) || !ParseNumber(f[2], &received) ||
                !ParseNumber(f[3], &error))
                return false;
            status.name = f[0];
            status.lastSent = sent;
            status.lastReceived = received;
            status.lastError = static_cast<LONG>(error);
            behaviour->statuses.push_back(status);
        } else {
            return false;
        }
    }
    return true;
}

constexpr int kNotDialogStep = -1;

class Session {
    using Tester = com::ComObject<ClientTester>;

public:
    bool AddTester(const TesterBehaviour& behaviour) {
        win::ComPtr<Tester> tester(Tester::CreateInstance(behaviour));
        if (!tester) return false;
        testers_.push_back(std::move(tester));
        return true;
    }
    void SetParent(LONGLONG parent) { parent_ = parent; }
    void SetWait(DWORD ms) { waitMs_ = exitWaitMs_ = ms; }

    bool Step(const std::wstring& step);

private:
    bool EnsureServer();
    // kNotDialogStep, or whether the dialog step succeeded.
    int DialogStep(const std::wstring& name, const std::wstring& arg);
    bool OpenParentWindow(const std::wstring& arg);
    void WatchExit();
    void LateBoundPid();
    void CallTestProgress();

    win::ComPtr<IFarlinkUI> ui_;
    win::ScopedHandle serverProcess_;
    DWORD releasedAt_ = 0;
    LONGLONG parent_ = 0;
    DWORD waitMs_ = 60000, exitWaitMs_ = 30000;
    std::vector<std::unique_ptr<ParentWindow>> parents_;
    // Last, so the testers go first, as a client drops its callbacks first.
    std::vector<win::ComPtr<Tester>> testers_;
};

bool Session::EnsureServer() {
    if (ui_) return true;
    HRESULT hr = ::CoCreateInstance(CLSID_FarlinkUI, nullptr, CLSCTX_LOCAL_SERVER,
                                    IID_IFarlinkUI, ui_.PutVoid());
    // A server that has just gone can leave its stale class object behind for
    // one activation; the next one starts a fresh server. One that is stopping
    // refuses until it has revoked (Windows retries that itself, Wine does not).
    for (int tries = 0; tries < 10; ++tries) {
        bool stale = hr == static_cast<HRESULT>(0x800706BA) && tries == 0;
        if (!stale && hr != CO_E_SERVER_STOPPING) break;
        if (!stale) ::Sleep(200);
        hr = ::CoCreateInstance(CLSID_FarlinkUI, nullptr, CLSCTX_LOCAL_SERVER, IID_IFarlinkUI,
                                ui_.PutVoid());
    }
    PrintLine(L"create -> " + Hex(hr));
    return SUCCEEDED(hr);
}

bool Session::Step(const std::wstring& step) {
    std::wstring name = step.substr(0, step.find(L':'));
    std::wstring arg = step.find(L':') == std::wstring::npos ? L"" : step.substr(step.find(L':') + 1);
    long long n = 0;
    if (name == L"sleep" && ParseNumber(arg, &n)) {
        ::Sleep(static_cast<DWORD>(n));
        return true;
    }
    if (name == L"wait-input") {
        wchar_t line[256];
        std::fgetws(line, 256, stdin);
        return true;
    }
    if (name == L"watch-exit") {
        WatchExit();
        return true;
    }
    if (name == L"testprogress") {
        CallTestProgress();
        return true;
    }
    if (name == L"parent-window") return OpenParentWindow(arg);
    int dialogResult = DialogStep(name, arg);
    if (dialogResult != kNotDialogStep) return dialogResult != 0;
    if (name == L"release") {
        ui_.Reset();
        releasedAt_ = ::GetTickCount();
        PrintLine(L"released");
        return true;
    }
    if (!EnsureServer()) return false;
    if (name == L"connect") {
        for (const win::ComPtr<Tester>& tester : testers_) {
            HRESULT hr = ui_->Connect(tester.Get());
            PrintLine(L"connect " + tester->Behaviour().name + L" -> " + Hex(hr));
        }
    } else if (name == L"connect-null") {
        PrintLine(L"connect-null -> " + Hex(ui_->Connect(nullptr)));
    } else if (name == L"pid") {
        ULONG pid = 0;
        HRESULT hr = ui_->GetProcessId(&pid);
        PrintLine(L"pid=" + std::to_wstring(pid) + L" -> " + Hex(hr));
        serverProcess_.Reset(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    } else if (name == L"qi-dispatch") {
        win::ComPtr<IDispatch> dispatch;
        PrintLine(L"qi-dispatch -> " + Hex(ui_->QueryInterface(IID_IDispatch, dispatch.PutVoid())));
    } else if (name == L"late-pid") {
        LateBoundPid();
    } else if (name == L"show") {
        win::Bstr language(arg.empty() ? L"enu" : arg.c_str());
        PrintLine(L"show -> " + Hex(ui_->ShowRemoteDesktopDialog(parent_, language.Get())));
    } else {
        PrintLine(L"unknown step: " + step);
        return false;
    }
    return true;
}

bool Session::OpenParentWindow(const std::wstring& arg) {
    std::vector<std::wstring> xy = Split(arg, L',');
    long long x = 0, y = 0;
    auto window = std::make_unique<ParentWindow>();
    if (xy.size() != 2 || !ParseNumber(xy[0], &x) || !ParseNumber(xy[1], &y) ||
        !window->Open(static_cast<int>(x), static_cast<int>(y))) {
        PrintLine(L"parent-window failed");
        return false;
    }
    parent_ = static_cast<LONGLONG>(reinterpret_cast<ULONG_PTR>(window->Window()));
    PrintLine(L"parent-window " + std::to_wstring(x) + L"," + std::to_wstring(y));
    parents_.push_back(std::move(window));
    return true;
}

// The dialog steps need no server object of ours: the dialogs are found by
// their windows. A failed step prints why.
int Session::DialogStep(const std::wstring& name, const std::wstring& arg) {
    const DWORD kWaitMs = waitMs_;
    if (name == L"message-box") {
        if (AnswerMessageBox(kWaitMs)) return 1;
        PrintLine(L"message-box missing");
        return 0;
    }
    std::wstring kindText = arg.substr(0, arg.find(L':'));
    std::wstring rest = arg.find(L':') == std::wstring::npos ? L"" : arg.substr(arg.find(L':') + 1);
    DialogKind kind;
    if (!ParseDialogKind(kindText, &kind)) return kNotDialogStep;
    DWORD start = ::GetTickCount();
    if (name == L"wait-gone") {
        bool gone = WaitForDialogGone(kind, kWaitMs);
        PrintLine(L"dialog " + kindText + (gone ? L" gone" : L" still open"));
        return gone ? 1 : 0;
    }
    if (name == L"count") {
        PrintLine(L"count " + kindText + L"=" + std::to_wstring(CountDialogs(kind)));
        return 1;
    }
    if (name != L"wait-dialog" && name != L"read" && name != L"click" && name != L"press" &&
        name != L"focus" && name != L"shot")
        return kNotDialogStep;
    HWND dialog = WaitForDialog(kind, kWaitMs);
    if (!dialog) {
        PrintLine(L"dialog " + kindText + L" missing");
        return 0;
    }
    if (name == L"wait-dialog") {
        PrintLine(L"dialog " + kindText + L" visible after=" +
                  std::to_wstring(::GetTickCount() - start) + L"ms");
        return 1;
    }
    if (name == L"read") {
        PrintDialog(dialog, kind);
        return 1;
    }
    bool ok = false;
    if (name == L"click") {
        ok = ClickButton(dialog, kind, rest);
    } else if (name == L"press") {
        ok = PressButton(dialog, kind, rest);
    } else if (name == L"focus") {
        ok = FocusControl(dialog, kind, rest);
    } else if (name == L"shot") {
        ::Sleep(300);  // let the last repaint land
        ok = SaveWindowShot(dialog, rest);
    }
    PrintLine(name + L" " + arg + (ok ? L" -> ok" : L" -> failed") + L" after=" +
              std::to_wstring(::GetTickCount() - start) + L"ms");
    return ok ? 1 : 0;
}

void Session::LateBoundPid() {
    // The dual interface's IDispatch slots, with names resolved by the server.
    IDispatch* dispatch = ui_.Get();
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"GetProcessId")};
    DISPID id = 0;
    HRESULT hr = dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) {
        PrintLine(L"late-pid GetIDsOfNames -> " + Hex(hr));
        return;
    }
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    win::Variant result;
    hr = dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, result.Get(),
                          nullptr, nullptr);
    ULONG pid = result.Ref().vt == VT_UI4 ? result.Ref().ulVal
              : result.Ref().vt == VT_I4  ? static_cast<ULONG>(result.Ref().lVal)
                                          : 0;
    PrintLine(L"late-pid dispid=" + std::to_wstring(id) + L" pid=" + std::to_wstring(pid) +
              L" -> " + Hex(hr));
}

void Session::CallTestProgress() {
    win::ComPtr<ITestProgress> progress;
    HRESULT hr = ::CoCreateInstance(CLSID_TestProgress, nullptr, CLSCTX_LOCAL_SERVER,
                                    IID_ITestProgress, progress.PutVoid());
    PrintLine(L"testprogress create -> " + Hex(hr));
    if (FAILED(hr)) return;
    PrintLine(L"testprogress Progress -> " + Hex(progress->Progress()));
    PrintLine(L"testprogress Completed -> " + Hex(progress->Completed(OCS_Connected)));
}

void Session::WatchExit() {
    if (!serverProcess_) {
        PrintLine(L"watch-exit: no server process (run pid first)");
        return;
    }
    DWORD wait = ::WaitForSingleObject(serverProcess_.Get(), exitWaitMs_);
    DWORD code = 0;
    ::GetExitCodeProcess(serverProcess_.Get(), &code);
    PrintLine(L"server exit=" + std::to_wstring(code) + L" ended=" +
              (wait == WAIT_OBJECT_0 ? L"yes" : L"no") + L" after=" +
              std::to_wstring(::GetTickCount() - releasedAt_) + L"ms");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    win::ComApartment apartment;
    if (FAILED(apartment.Result())) {
        PrintLine(L"CoInitializeEx -> " + Hex(apartment.Result()));
        return 1;
    }
    int status = 0;
    {
        Session session;
        for (int i = 1; i < argc && status == 0; ++i) {
            std::wstring arg = argv[i];
            if (arg == L"--tester" && i + 1 < argc) {
                TesterBehaviour behaviour;
                if (!ParseTester(argv[++i], &behaviour) || !session.AddTester(behaviour)) {
                    PrintLine(L"bad tester: " + std::wstring(argv[i]));
                    status = 2;
                }
            } else if (arg == L"--parent" && i + 1 < argc) {
                long long parent = 0;
                ParseNumber(argv[++i], &parent);
                session.SetParent(parent);
            } else if (arg == L"--wait" && i + 1 < argc) {
                long long seconds = 0;
                ParseNumber(argv[++i], &seconds);
                session.SetWait(static_cast<DWORD>(seconds * 1000));
            } else if (!session.Step(arg)) {
                status = 1;
            }
        }
    }
    return status;
}
