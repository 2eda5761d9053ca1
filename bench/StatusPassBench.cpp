// Figures for the Connection Status dialog's status pass: a tester reports N
// connection statuses (N = 1, 100, 1000) and the pass lists them; a pass ends
// when its report is complete in the list. Beside each pass, the raw cost of
// the same calls (EnumStatus and the four getters per status) on the same
// tester objects, made from another process without the dialog, once before
// and once after the pass. The tester lives in a process of its own that hands
// it to the server itself, as the product does. Then 30 passes over 100
// statuses with the server's handles, USER objects, windows and private bytes
// after each. Prints numbers and ratios; asserts nothing.
//
// With --client64, instead: the status pass on a client machine with a 64-bit
// client running, the x86_64 server beside it against the i686 server named,
// in one run (under WOW64), and the ratio.
//
//   status_pass_bench.exe               the whole run (needs the server registered)
//   status_pass_bench.exe --client64 I686_SERVER_EXE
//                                       registers each server in turn itself
//   status_pass_bench.exe --host FILE   the tester's process (started by the run)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "ServerFigures.h"
#include "FarlinkUI.h"
#include "com/ComObject.h"
#include "win/Bstr.h"
#include "win/ComPtr.h"
#include "win/ScopedHandle.h"

namespace {

constexpr int kTestButton = 1003;
constexpr int kStatusList = 1004;
constexpr int kRefreshButton = 1006;
constexpr int kLeakPasses = 30;
constexpr int kLeakStatuses = 100;
constexpr int kClientPasses = 31;
const wchar_t kDesktopCaption[] = L"Corvane \x2013 Remote Desktop";
const wchar_t kStatusCaption[] = L"Corvane \x2013 Remote Connection Status";

class BenchStatus : public com::NoDispatch<IConnectionStatus> {
public:
    explicit BenchStatus(int index) : index_(index) {}
    STDMETHODIMP GetName(BSTR* name) override {
        *name = ::SysAllocString((L"Connection " + std::to_wstring(index_)).c_str());
        return S_OK;
    }
    STDMETHODIMP GetLastMessageSend(LONGLONG* time) override {
        *time = Now() - 5;
        return S_OK;
    }
    STDMETHODIMP GetLastMessageReceived(LONGLONG* time) override {
        *time = Now() - 3;
        return S_OK;
    }
    STDMETHODIMP GetLastError(LONG* error) override {
        *error = 0;
        return S_OK;
    }

private:
    static LONGLONG Now() {
        FILETIME ft;
        ::GetSystemTimeAsFileTime(&ft);
        ULONGLONG t = (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
        return static_cast<LONGLONG>(t / 10000000ULL) - 11644473600LL;
    }
    int index_;
};

// Completes every test at once. The number of statuses comes from memory the
// benchmark shares with this process; a pass ends with the EnumStatus that
// finds no more, which signals the benchmark.
class BenchTester : public com::NoDispatch<IConnectionTester> {
public:
    BenchTester(const volatile LONG* count, HANDLE passDone) : count_(count), passDone_(passDone) {}

    STDMETHODIMP GetName(BSTR* name) override {
        *name = ::SysAllocString(L"Bench");
        return S_OK;
    }
    STDMETHODIMP GetRemoteAccessAuthorization(VARIANT_BOOL* enable) override {
        *enable = VARIANT_TRUE;
        return S_OK;
    }
    STDMETHODIMP StartConnectionTest(ITestProgress* progress) override {
        return progress->Completed(OCS_Connected);
    }
    STDMETHODIMP EnumStatus(VARIANT_BOOL first, IConnectionStatus** status) override {
        *status = nullptr;
        if (first) next_ = 0;
        if (next_ >= *count_) {
            ::SetEvent(passDone_);
            return S_FALSE;
        }
        auto* object = com::ComObject<BenchStatus>::CreateInstance(next_++);
        object->AddRef();
        *status = object;
        return S_OK;
    }
    STDMETHODIMP GetProductCode(BSTR* code) override {
        *code = nullptr;
        return S_FALSE;
    }

private:
    const volatile LONG* count_;
    HANDLE passDone_;
    int next_ = 0;
};

const wchar_t kCountName[] = L"FarlinkStatusPassBenchCount";
const wchar_t kPassDoneName[] = L"FarlinkStatusPassBenchPassDone";
const wchar_t kQuitName[] = L"FarlinkStatusPassBenchQuit";

// The tester's own process, as the product's testers live in the product's:
// both the server (in the pass) and the benchmark (raw) call it from outside.
int RunHost(const wchar_t* marshalFile) {
    if (FAILED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 1;
    win::ScopedHandle mapping(::OpenFileMappingW(FILE_MAP_READ, FALSE, kCountName));
    win::ScopedHandle passDone(::OpenEventW(EVENT_MODIFY_STATE, FALSE, kPassDoneName));
    win::ScopedHandle quit(::OpenEventW(SYNCHRONIZE, FALSE, kQuitName));
    auto* count = mapping ? static_cast<const volatile LONG*>(
                                ::MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, sizeof(LONG)))
                          : nullptr;
    int result = 1;
    if (count && passDone && quit) {
        win::ComPtr<IConnectionTester> tester(
            com::ComObject<BenchTester>::CreateInstance(count, passDone.Get()));
        // Handed to the server by this process itself, as the product does: the
        // server then calls this process directly.
        win::ComPtr<IFarlinkUI> ui;
        if (FAILED(::CoCreateInstance(CLSID_FarlinkUI, nullptr, CLSCTX_LOCAL_SERVER,
                                      IID_IFarlinkUI, ui.PutVoid())) ||
            FAILED(ui->Connect(tester.Get())))
            tester.Reset();
        win::ComPtr<IStream> stream;
        HGLOBAL memory = nullptr;
        ULARGE_INTEGER size{};
        LARGE_INTEGER zero{};
        if (tester && SUCCEEDED(::CreateStreamOnHGlobal(nullptr, TRUE, stream.Put())) &&
            SUCCEEDED(::CoMarshalInterface(stream.Get(), IID_IConnectionTester, tester.Get(),
                                           MSHCTX_LOCAL, nullptr, MSHLFLAGS_NORMAL)) &&
            SUCCEEDED(::GetHGlobalFromStream(stream.Get(), &memory)) &&
            SUCCEEDED(stream->Seek(zero, STREAM_SEEK_CUR, &size))) {
            win::ScopedHandle file(::CreateFileW(marshalFile, GENERIC_WRITE, 0, nullptr,
                                                 CREATE_ALWAYS, 0, nullptr));
            DWORD written = 0;
            ::WriteFile(file.Get(), ::GlobalLock(memory), static_cast<DWORD>(size.QuadPart),
                        &written, nullptr);
            ::GlobalUnlock(memory);
            file.Close();
            HANDLE quitHandle = quit.Get();
            while (::MsgWaitForMultipleObjects(1, &quitHandle, FALSE, INFINITE, QS_ALLINPUT) ==
                   WAIT_OBJECT_0 + 1) {
                MSG msg;
                while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
            }
            result = 0;
        }
        if (count) ::UnmapViewOfFile(const_cast<LONG*>(count));
    }
    ::CoUninitialize();
    return result;
}

bool ReadTester(const std::wstring& path, win::ComPtr<IConnectionTester>* tester) {
    for (int i = 0; i < 1000; ++i) {
        win::ScopedHandle file(
            ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        DWORD size = file ? ::GetFileSize(file.Get(), nullptr) : 0;
        if (size == 0 || size == INVALID_FILE_SIZE) {
            ::Sleep(20);
            continue;
        }
        HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size);
        DWORD read = 0;
        if (!memory) return false;
        ::ReadFile(file.Get(), ::GlobalLock(memory), size, &read, nullptr);
        ::GlobalUnlock(memory);
        win::ComPtr<IStream> stream;
        if (FAILED(::CreateStreamOnHGlobal(memory, TRUE, stream.Put()))) return false;
        return SUCCEEDED(
            ::CoUnmarshalInterface(stream.Get(), IID_IConnectionTester, tester->PutVoid()));
    }
    return false;
}

// The calls a pass makes for `count` statuses, without the dialog.
double TimeRaw(IConnectionTester* tester, int count) {
    double start = bench::Now();
    win::ComPtr<IConnectionStatus> status;
    VARIANT_BOOL first = VARIANT_TRUE;
    int seen = 0;
    while (tester->EnumStatus(first, status.Put()) == S_OK) {
        first = VARIANT_FALSE;
        win::Bstr name;
        LONGLONG time = 0;
        LONG error = 0;
        status->GetName(name.Put());
        status->GetLastMessageSend(&time);
        status->GetLastMessageReceived(&time);
        status->GetLastError(&error);
        ++seen;
    }
    return seen == count ? bench::Now() - start : -1;
}

// The server runs the status pass only where it finds a client or is itself
// in a remote session: the cached session type says it is an RDP host.
void SetCachedSession(const wchar_t* type) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Corvane\\Farlink", 0, nullptr, 0,
                          KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    ::RegSetValueExW(key, L"Server", 0, REG_SZ, reinterpret_cast<const BYTE*>(type),
                     static_cast<DWORD>((std::wcslen(type) + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
}

HWND WaitForWindow(const wchar_t* caption) {
    for (int i = 0; i < 3000; ++i) {
        HWND window = ::FindWindowW(L"#32770", caption);
        if (window && ::IsWindowVisible(window)) return window;
        ::Sleep(10);
    }
    return nullptr;
}

// The report for `statuses` connections is complete once its last line, the
// end stamp, is in: the two stamps, the channel line and three per status.
// Asked only after the pass's last EnumStatus, when the list has been emptied.
bool WaitForReport(HWND dialog, int statuses) {
    HWND list = ::GetDlgItem(dialog, kStatusList);
    const LRESULT lines = 3 + 3 * static_cast<LRESULT>(statuses);
    for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < 600000; ::Sleep(2)) {
        DWORD_PTR count = 0, length = 0;
        if (!::SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_NORMAL, 60000, &count)) continue;
        if (static_cast<LRESULT>(count) < lines) continue;
        if (!::SendMessageTimeoutW(list, LB_GETTEXTLEN, lines - 1, 0, SMTO_NORMAL, 60000, &length))
            continue;
        std::wstring text(length + 1, L'\0');
        ::SendMessageW(list, LB_GETTEXT, lines - 1, reinterpret_cast<LPARAM>(&text[0]));
        if (text.compare(0, 14, L"Test completed") == 0) return true;
    }
    return false;
}

// One pass, from the click to its complete report; -1 when it did not end.
// While it runs, the dialog is sent a message every 50 ms: `slowestReply` is
// the longest it took to answer one (0 for the first pass, which runs before
// the dialog shows).
double TimePass(HWND desktop, HWND* statusDialog, HANDLE passDone, int statuses,
                double* slowestReply = nullptr) {
    // The raw calls end with the same signal.
    ::ResetEvent(passDone);
    double start = bench::Now();
    // The first pass runs as the dialog opens; Refresh runs the others.
    if (!*statusDialog) {
        ::PostMessageW(::GetDlgItem(desktop, kTestButton), BM_CLICK, 0, 0);
        *statusDialog = WaitForWindow(kStatusCaption);
    } else {
        ::PostMessageW(::GetDlgItem(*statusDialog, kRefreshButton), BM_CLICK, 0, 0);
    }
    double slowest = 0;
    for (double waited = 0; ::WaitForSingleObject(passDone, 50) != WAIT_OBJECT_0;) {
        waited = bench::Now() - start;
        if (!*statusDialog || waited > 600000) return -1;
        double sent = bench::Now();
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutW(*statusDialog, WM_NULL, 0, 0, SMTO_NORMAL, 600000, &ignored);
        slowest = std::max(slowest, bench::Now() - sent);
    }
    if (slowestReply) *slowestReply = slowest;
    if (!*statusDialog || !WaitForReport(*statusDialog, statuses)) return -1;
    return bench::Now() - start;
}

// The tester's process, started for one server's figures and ended after them.
class TesterHost {
public:
    TesterHost(const std::wstring& marshalFile, HANDLE quit) : quit_(quit) {
        ::DeleteFileW(marshalFile.c_str());
        wchar_t self[MAX_PATH];
        ::GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring command = L"\"" + std::wstring(self) + L"\" --host \"" + marshalFile + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        ::ResetEvent(quit);
        if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &info))
            return;
        process_.Reset(info.hProcess);
        ::CloseHandle(info.hThread);
        ReadTester(marshalFile, &tester);
    }
    ~TesterHost() {
        tester.Reset();
        ::SetEvent(quit_);
        if (process_) ::WaitForSingleObject(process_.Get(), 10000);
    }
    TesterHost(const TesterHost&) = delete;
    TesterHost& operator=(const TesterHost&) = delete;

    win::ComPtr<IConnectionTester> tester;

private:
    HANDLE quit_;
    win::ScopedHandle process_;
};

// The server's Remote Desktop dialog, opened for the host's tester.
HWND ShowDesktop(const TesterHost& host, win::ComPtr<IFarlinkUI>* ui) {
    HRESULT hr = host.tester ? S_OK : E_FAIL;
    if (SUCCEEDED(hr))
        hr = ::CoCreateInstance(CLSID_FarlinkUI, nullptr, CLSCTX_LOCAL_SERVER, IID_IFarlinkUI,
                                ui->PutVoid());
    if (SUCCEEDED(hr)) hr = (*ui)->ShowRemoteDesktopDialog(0, win::Bstr(L"enu").Get());
    HWND desktop = SUCCEEDED(hr) ? WaitForWindow(kDesktopCaption) : nullptr;
    if (!desktop)
        std::printf("cannot show the dialog: 0x%08lX (register the server first)\n",
                    static_cast<unsigned long>(hr));
    return desktop;
}

void CloseDialogs(HWND desktop, HWND statusDialog) {
    if (statusDialog) ::PostMessageW(statusDialog, WM_COMMAND, IDCANCEL, 0);
    ::Sleep(500);
    ::PostMessageW(desktop, WM_COMMAND, IDCANCEL, 0);
}

// The figures over 1, 100 and 1000 statuses and the resources over many
// passes, with the registered server as an RDP host.
int RunStatusFigures(const std::wstring& marshalFile, HANDLE quit, HANDLE passDone,
                     volatile LONG* count) {
    SetCachedSession(L"RDP");
    TesterHost host(marshalFile, quit);
    win::ComPtr<IFarlinkUI> ui;
    HWND desktop = ShowDesktop(host, &ui);
    if (!desktop) return 1;
    IConnectionTester* tester = host.tester.Get();
    int status = 0;
    std::printf("%6s %10s %10s %10s %10s %7s %14s %13s\n", "N", "pass ms", "raw ms",
                "raw before", "raw after", "ratio", "pass ms/status", "max reply ms");
    const int counts[] = {1, 100, 1000};
    HWND statusDialog = nullptr;
    for (int n : counts) {
        *count = n;
        double before = TimeRaw(tester, n);
        double slowestReply = 0;
        double pass = TimePass(desktop, &statusDialog, passDone, n, &slowestReply);
        if (pass < 0) {
            std::printf("%6d  the pass did not end\n", n);
            status = 1;
            break;
        }
        double after = TimeRaw(tester, n);
        double raw = (before + after) / 2;
        std::printf("%6d %10.1f %10.1f %10.1f %10.1f %7.2f %14.3f %13.1f\n", n, pass, raw,
                    before, after, raw > 0 ? pass / raw : 0.0, pass / n, slowestReply);
    }
    ULONG pid = 0;
    ui->GetProcessId(&pid);
    bench::ServerWatch server(pid);
    if (status == 0 && server.IsOpen()) {
        std::printf("\n%d passes over %d statuses; the server after each:\n", kLeakPasses,
                    kLeakStatuses);
        bench::ServerWatch::PrintHeader("pass");
        *count = kLeakStatuses;
        bench::ServerFigures first = server.Sample(), middle = first, last = first;
        bench::ServerWatch::Print(0, 0, first);
        for (int i = 1; i <= kLeakPasses; ++i) {
            double pass = TimePass(desktop, &statusDialog, passDone, kLeakStatuses);
            last = server.Sample();
            if (i == kLeakPasses / 2) middle = last;
            bench::ServerWatch::Print(i, pass, last);
        }
        bench::ServerWatch::PrintSummary(first, middle, last, kLeakPasses - kLeakPasses / 2);
    }
    CloseDialogs(desktop, statusDialog);
    return status;
}

// A 64-bit client double, mstsc.exe with vcbrdp.dll, in a folder of its own.
class Client64 {
public:
    explicit Client64(const std::wstring& folder) : folder_(folder) {
        ::CreateDirectoryW(folder.c_str(), nullptr);
        ::CopyFileW(Beside(L"client_double.exe").c_str(), (folder + L"\\mstsc.exe").c_str(), FALSE);
        ::CopyFileW(Beside(L"plugin_double.dll").c_str(), (folder + L"\\vcbrdp.dll").c_str(), FALSE);
        // It says "ready 1" on its output once the plug-in is loaded; it
        // ends by itself after 60 s.
        const std::wstring said = folder + L"\\said.txt";
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        win::ScopedHandle output(::CreateFileW(said.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                               CREATE_ALWAYS, 0, nullptr));
        std::wstring command = L"\"" + folder + L"\\mstsc.exe\" --load vcbrdp.dll";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = output.Get();
        PROCESS_INFORMATION info{};
        if (!output || !::CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                         nullptr, folder.c_str(), &startup, &info))
            return;
        process_.Reset(info.hProcess);
        ::CloseHandle(info.hThread);
        output.Close();
        for (int i = 0; i < 300 && !ready; ++i, ::Sleep(100)) {
            win::ScopedHandle file(::CreateFileW(said.c_str(), GENERIC_READ,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                 OPEN_EXISTING, 0, nullptr));
            char text[16] = {};
            DWORD read = 0;
            ::ReadFile(file.Get(), text, sizeof text - 1, &read, nullptr);
            ready = std::strncmp(text, "ready 1", 7) == 0;
        }
    }
    ~Client64() {
        if (process_) ::TerminateProcess(process_.Get(), 0), ::WaitForSingleObject(process_.Get(), 5000);
        ::DeleteFileW((folder_ + L"\\mstsc.exe").c_str());
        ::DeleteFileW((folder_ + L"\\vcbrdp.dll").c_str());
        ::DeleteFileW((folder_ + L"\\said.txt").c_str());
        ::RemoveDirectoryW(folder_.c_str());
    }
    Client64(const Client64&) = delete;
    Client64& operator=(const Client64&) = delete;

    bool ready = false;

private:
    static std::wstring Beside(const wchar_t* name) {
        wchar_t self[MAX_PATH];
        std::wstring path(self, ::GetModuleFileNameW(nullptr, self, MAX_PATH));
        return path.substr(0, path.find_last_of(L'\\') + 1) + name;
    }
    std::wstring folder_;
    win::ScopedHandle process_;
};

// The status pass on a client machine with a 64-bit client running (the
// client double as mstsc.exe with the plug-in double loaded): the median of
// the Refresh passes over one status, and in `first` the pass that opens the
// dialog (the i686 server starts its 64-bit companion in it), with `server`
// registered for them alone; -1 when a pass did not end, as when the client
// went unseen.
double ClientPassMedian(const std::wstring& server, const std::wstring& clientFolder,
                        const std::wstring& marshalFile, HANDLE quit, HANDLE passDone,
                        volatile LONG* count, double* first) {
    auto run = [](const std::wstring& command) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        std::wstring line = command;
        if (!::CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &info))
            return;
        ::WaitForSingleObject(info.hProcess, 120000);
        ::CloseHandle(info.hProcess);
        ::CloseHandle(info.hThread);
    };
    run(L"\"" + server + L"\" /RegServer");
    std::vector<double> passes;
    {
        TesterHost host(marshalFile, quit);
        win::ComPtr<IFarlinkUI> ui;
        HWND desktop = ShowDesktop(host, &ui);
        HWND statusDialog = nullptr;
        *count = 1;
        // Started once the server is up (an emulated one starts slowly), and
        // known to be ready: a pass that finds no client would not end.
        Client64 client(clientFolder);
        if (!client.ready) std::printf("the 64-bit client double did not start\n");
        for (int i = 0; desktop && client.ready && i < kClientPasses; ++i) {
            double pass = TimePass(desktop, &statusDialog, passDone, 1);
            if (pass < 0) break;
            if (i == 0) *first = pass;
            else passes.push_back(pass);
        }
        if (desktop) CloseDialogs(desktop, statusDialog);
    }
    ::Sleep(2000);  // the server ends about a second after the last release
    run(L"\"" + server + L"\" /UnregServer");
    return passes.size() == kClientPasses - 1 ? bench::Median(passes) : -1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && std::wcscmp(argv[1], L"--host") == 0) return RunHost(argv[2]);

    win::ScopedHandle mapping(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE,
                                                   0, sizeof(LONG), kCountName));
    win::ScopedHandle passDone(::CreateEventW(nullptr, FALSE, FALSE, kPassDoneName));
    win::ScopedHandle quit(::CreateEventW(nullptr, TRUE, FALSE, kQuitName));
    auto* count = mapping ? static_cast<volatile LONG*>(
                                ::MapViewOfFile(mapping.Get(), FILE_MAP_WRITE, 0, 0, sizeof(LONG)))
                          : nullptr;
    if (!count || !passDone || !quit) return 1;
    *count = 1;

    wchar_t folder[MAX_PATH];
    ::GetTempPathW(MAX_PATH, folder);
    const std::wstring marshalFile = std::wstring(folder) + L"status_pass_tester.bin";
    if (FAILED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 1;
    int status = 0;
    if (argc == 3 && std::wcscmp(argv[1], L"--client64") == 0) {
        // The x86_64 server beside this program against the i686 one named,
        // each registered in turn (a machine-wide /RegServer writes the
        // registry view of its own bitness), the 64-bit client running.
        SetCachedSession(L"Local");
        const std::wstring client = std::wstring(folder) + L"status-pass-client64";
        wchar_t self[MAX_PATH];
        std::wstring own(self, ::GetModuleFileNameW(nullptr, self, MAX_PATH));
        own = own.substr(0, own.find_last_of(L'\\') + 1) + L"FarlinkUI.exe";
        double x64First = -1, x86First = -1;
        const double x64 = ClientPassMedian(own, client, marshalFile, quit.Get(), passDone.Get(), count, &x64First);
        const double x86 = ClientPassMedian(argv[2], client, marshalFile, quit.Get(), passDone.Get(), count, &x86First);
        std::printf("status pass, 64-bit client running: %12s %12s %7s\n", "x86_64 ms", "i686 ms", "ratio");
        std::printf("  opening the dialog                %12.1f %12.1f %7.2f\n", x64First, x86First,
                    x64First > 0 && x86First > 0 ? x86First / x64First : 0.0);
        std::printf("  Refresh, median of %2d             %12.1f %12.1f %7.2f (goal <= 1.5)\n",
                    kClientPasses - 1, x64, x86, x64 > 0 && x86 > 0 ? x86 / x64 : 0.0);
        status = x64 > 0 && x86 > 0 ? 0 : 1;
    } else {
        status = RunStatusFigures(marshalFile, quit.Get(), passDone.Get(), count);
    }
    ::CoUninitialize();
    SetCachedSession(L"Local");
    ::UnmapViewOfFile(const_cast<LONG*>(count));
    return status;
}
