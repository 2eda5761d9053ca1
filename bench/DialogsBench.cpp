// Figures for the Remote Desktop dialog: the time from a client's
// ShowRemoteDesktopDialog to the dialog on screen with its channel list
// filled, beside the detector's enumeration of the components alone, in the
// same run. The server answers the session probe from the per-user cache (the
// bench script seeds it), so no cloud check is in the figures. Then 100 dialog
// cycles with the server's handles, windows, threads and private bytes after
// each, and 20 clients (farlinkdrive) connecting and showing at once, with no
// server running and with one running. Prints numbers; asserts nothing.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "FarlinkUI.h"
#include "ServerFigures.h"
#include "common/Testing.h"
#include "detection/RemoteComponentDetector.h"
#include "win/Bstr.h"
#include "win/ComPtr.h"

namespace {

const wchar_t kCaption[] = L"Corvane \x2013 Remote Desktop";
constexpr int kChannelList = 1001;
constexpr int kRounds = 15;
constexpr int kLeakCycles = 100;
constexpr int kClients = 20;

// The list is filled while the dialog initialises, before it shows, so a
// visible dialog with lines in its list is a filled one.
HWND FilledDialog() {
    HWND dialog = ::FindWindowW(L"#32770", kCaption);
    if (!dialog || !::IsWindowVisible(dialog)) return nullptr;
    HWND list = ::GetDlgItem(dialog, kChannelList);
    return ::SendMessageW(list, LB_GETCOUNT, 0, 0) > 0 ? dialog : nullptr;
}

bool WaitUntil(bool (*done)(), DWORD ms) {
    DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > ms) return false;
        ::Sleep(0);
    }
    return true;
}

// One showing: milliseconds until the filled dialog is on screen; -1 when it
// did not come.
double TimeOneShowing(IFarlinkUI* ui) {
    win::Bstr language(L"enu");
    double start = bench::Now();
    if (FAILED(ui->ShowRemoteDesktopDialog(0, language.Get()))) return -1;
    if (!WaitUntil([] { return FilledDialog() != nullptr; }, 30000)) return -1;
    double elapsed = bench::Now() - start;
    ::PostMessageW(::GetDlgItem(FilledDialog(), IDCANCEL), BM_CLICK, 0, 0);
    WaitUntil([] { return ::FindWindowW(L"#32770", kCaption) == nullptr; }, 30000);
    return elapsed;
}

double TimeEnumeration() {
    sharedfarlink::RemoteComponentDetector detector;
    double start = bench::Now();
    bool first = true;
    while (detector.MoveNext(first, std::wstring())) {
    }
    return bench::Now() - start;
}

// Opens and closes the dialog kLeakCycles times and prints the server's
// figures after each cycle.
void MeasureDialogCycles(IFarlinkUI* ui) {
    ULONG pid = 0;
    if (FAILED(ui->GetProcessId(&pid))) return;
    bench::ServerWatch server(pid);
    if (!server.IsOpen()) return;
    std::printf("\n%d dialog cycles; the server after each:\n", kLeakCycles);
    bench::ServerWatch::PrintHeader("cycle");
    bench::ServerFigures first = server.Sample(), middle = first, last = first;
    bench::ServerWatch::Print(0, 0, first);
    for (int i = 1; i <= kLeakCycles; ++i) {
        double ms = TimeOneShowing(ui);
        last = server.Sample();
        if (i == kLeakCycles / 2) middle = last;
        bench::ServerWatch::Print(i, ms, last);
    }
    bench::ServerWatch::PrintSummary(first, middle, last, kLeakCycles - kLeakCycles / 2);
}

BOOL CALLBACK CollectDialog(HWND window, LPARAM param) {
    wchar_t caption[64] = {};
    ::GetWindowTextW(window, caption, 64);
    if (::IsWindowVisible(window) && std::wcscmp(caption, kCaption) == 0)
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

std::vector<HWND> VisibleDialogs() {
    std::vector<HWND> dialogs;
    ::EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&dialogs));
    return dialogs;
}

// kClients farlinkdrive processes, each with a tester of its own, are let go
// at the same moment: each creates FarlinkUI, connects, asks for the pid,
// shows the dialog and releases. Every server process seen meanwhile is
// watched; once the dialog is closed each has to end with exit code 0.
// `warm`: a holder keeps a server running before the clients come.
void MeasureClientsAtOnce(bool warm) {
    auto holder = std::make_unique<tst::ChildProcess>();
    // After a server was killed (only ever by an earlier round), Wine's next
    // activations may fail for a while.
    for (int attempt = 1; warm; ++attempt) {
        if (tst::StartClient(holder.get(), L"pid wait-input") &&
            holder->WaitForOutput("pid=", 60000))
            break;
        if (attempt == 3) {
            std::printf("warm: the holder got no server: %s\n", holder->Output().c_str());
            return;
        }
        holder = std::make_unique<tst::ChildProcess>();
        ::Sleep(2000);
    }
    std::vector<std::unique_ptr<tst::ChildProcess>> clients;
    for (int i = 0; i < kClients; ++i) {
        clients.push_back(std::make_unique<tst::ChildProcess>());
        std::wstring name = L"C" + std::to_wstring(i);
        if (!tst::StartClient(clients.back().get(),
                              L"--tester name=" + name + L" wait-input connect pid show release"))
            clients.pop_back();
    }
    // Every client waits at wait-input, which ends when its input closes.
    ::Sleep(2000);
    std::set<DWORD> seen;
    std::vector<win::ScopedHandle> servers;
    auto watchServers = [&] {
        for (DWORD pid : tst::ServerPids())
            if (seen.insert(pid).second)
                servers.emplace_back(
                    ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    };
    watchServers();
    std::vector<HANDLE> handles;
    std::vector<win::ScopedHandle> owners;
    for (auto& client : clients) {
        owners.emplace_back(::OpenProcess(SYNCHRONIZE, FALSE, client->Pid()));
        if (owners.back()) handles.push_back(owners.back().Get());
    }
    double start = bench::Now(), allDone = 0;
    for (auto& client : clients) client->CloseInput();
    while (::WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), TRUE, 100) ==
               WAIT_TIMEOUT &&
           bench::Now() - start < 120000)
        watchServers();
    allDone = bench::Now() - start;
    watchServers();
    int clean = 0;
    std::set<DWORD> answering;
    for (auto& client : clients) {
        DWORD code = 1;
        std::string out = client->Output();
        // create, connect, pid and show, each S_OK
        if (client->Wait(0, &code) && code == 0 && tst::CountOf(out, "-> 0x00000000") == 4) ++clean;
        if (DWORD pid = tst::ReportedPid(out)) answering.insert(pid);
    }
    ::Sleep(1000);  // a second dialog at once would have come by now
    size_t atOnce = VisibleDialogs().size();
    // A Show that arrives while the first dialog is being built shows it once
    // more after it closes (the show event is signalled again), so dialogs are
    // closed, as the Close button would, until none has come back for 2 s.
    std::set<HWND> showings;
    double closed = bench::Now();
    for (double quiet = closed; bench::Now() - quiet < 2000 && bench::Now() - closed < 30000;) {
        for (HWND dialog : VisibleDialogs()) {
            atOnce = std::max(atOnce, VisibleDialogs().size());
            showings.insert(dialog);
            ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            quiet = closed = bench::Now();
        }
        ::Sleep(100);
    }
    holder->CloseInput();
    // The holder's release, when there is one, is the server's last.
    const double lastUse = warm ? bench::Now() : closed;
    int exitedClean = 0, running = 0;
    double lastExit = 0;
    for (win::ScopedHandle& process : servers) {
        DWORD code = 1;
        double left = std::max(0.0, 30000 - (bench::Now() - closed));
        if (!process || ::WaitForSingleObject(process.Get(), static_cast<DWORD>(left)) != WAIT_OBJECT_0) {
            ++running;
            continue;
        }
        ::GetExitCodeProcess(process.Get(), &code);
        exitedClean += code == 0 ? 1 : 0;
        lastExit = std::max(lastExit, bench::Now() - lastUse);
    }
    std::printf("%-5s %6d/%-3d %9.0f %6zu %8zu %8zu %9zu %8d %8d %10.0f\n", warm ? "warm" : "cold",
                clean, static_cast<int>(clients.size()), allDone, answering.size(), servers.size(),
                atOnce, showings.size(), exitedClean, running, lastExit);
    // A server that outlived the round would skew the next one.
    if (running) tst::KillServers();
}

}  // namespace

int wmain() {
    if (FAILED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 1;
    int status = 0;
    {
        win::ComPtr<IFarlinkUI> ui;
        HRESULT hr = ::CoCreateInstance(CLSID_FarlinkUI, nullptr, CLSCTX_LOCAL_SERVER,
                                        IID_IFarlinkUI, ui.PutVoid());
        if (FAILED(hr)) {
            std::printf("cannot create FarlinkUI: 0x%08lX (register it first)\n",
                        static_cast<unsigned long>(hr));
            status = 1;
        } else {
            // The first showing also starts the translation and the dialog
            // thread's first use of everything: timed apart.
            double firstShow = TimeOneShowing(ui.Get());
            std::vector<double> shows, enumerations;
            for (int i = 0; i < kRounds; ++i) {
                shows.push_back(TimeOneShowing(ui.Get()));
                enumerations.push_back(TimeEnumeration());
            }
            double show = bench::Median(shows);
            double enumeration = bench::Median(enumerations);
            std::printf("first showing, request to filled list:   %8.2f ms\n", firstShow);
            std::printf("showing, request to filled list (median): %8.2f ms\n", show);
            std::printf("detector enumeration alone (median):      %8.2f ms\n", enumeration);
            std::printf("ratio showing / enumeration:              %8.1f\n",
                        enumeration > 0 ? show / enumeration : 0.0);
            MeasureDialogCycles(ui.Get());
        }
    }
    if (status == 0) {
        tst::WaitForNoServer(30000);
        std::printf("\n%d clients at once: each creates, connects, asks for the pid, shows, releases;\n"
                    "servers seen, dialogs at once and shown in all, servers that ended with 0 (or still run\n"
                    "30 s after the last dialog closed), the last end after the last close or release\n",
                    kClients);
        std::printf("%-5s %10s %9s %6s %8s %8s %9s %8s %8s %10s\n", "", "clean", "done ms", "pids",
                    "servers", "at once", "showings", "exit 0", "running", "ended ms");
        MeasureClientsAtOnce(false);
        tst::WaitForNoServer(30000);
        MeasureClientsAtOnce(true);
    }
    ::CoUninitialize();
    return status;
}
