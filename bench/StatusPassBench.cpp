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
//   status_pass_bench.exe               the whole run (needs the server registered)
//   status_pass_bench.exe --host FILE   the tester's process (started by the run)
#include <windows.h>

#include <algorithm>
#include <cstdio>
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
    std::wstring marshalFile = std::wstring(folder) + L"status_pass_tester.bin";
    ::DeleteFileW(marshalFile.c_str());
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --host \"" + marshalFile + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &info))
        return 1;
    win::ScopedHandle host(info.hProcess), hostThread(info.hThread);

    if (FAILED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 1;
    SetCachedSession(L"RDP");
    int status = 0;
    {
        win::ComPtr<IConnectionTester> tester;
        win::ComPtr<IFarlinkUI> ui;
        HRESULT hr = ReadTester(marshalFile, &tester) ? S_OK : E_FAIL;
        if (SUCCEEDED(hr))
            hr = ::CoCreateInstance(CLSID_FarlinkUI, nullptr, CLSCTX_LOCAL_SERVER, IID_IFarlinkUI,
                                    ui.PutVoid());
        HWND desktop = nullptr;
        if (SUCCEEDED(hr)) hr = ui->ShowRemoteDesktopDialog(0, win::Bstr(L"enu").Get());
        if (SUCCEEDED(hr)) desktop = WaitForWindow(kDesktopCaption);
        if (!desktop) {
            std::printf("cannot show the dialog: 0x%08lX (register the server first)\n",
                        static_cast<unsigned long>(hr));
            status = 1;
        } else {
            std::printf("%6s %10s %10s %10s %10s %7s %14s %13s\n", "N", "pass ms", "raw ms",
                        "raw before", "raw after", "ratio", "pass ms/status", "max reply ms");
            const int counts[] = {1, 100, 1000};
            HWND statusDialog = nullptr;
            for (int n : counts) {
                *count = n;
                double before = TimeRaw(tester.Get(), n);
                double slowestReply = 0;
                double pass = TimePass(desktop, &statusDialog, passDone.Get(), n, &slowestReply);
                if (pass < 0) {
                    std::printf("%6d  the pass did not end\n", n);
                    status = 1;
                    break;
                }
                double after = TimeRaw(tester.Get(), n);
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
                    double pass = TimePass(desktop, &statusDialog, passDone.Get(), kLeakStatuses);
                    last = server.Sample();
                    if (i == kLeakPasses / 2) middle = last;
                    bench::ServerWatch::Print(i, pass, last);
                }
                bench::ServerWatch::PrintSummary(first, middle, last, kLeakPasses - kLeakPasses / 2);
            }
            if (statusDialog) ::PostMessageW(statusDialog, WM_COMMAND, IDCANCEL, 0);
            ::Sleep(500);
            ::PostMessageW(desktop, WM_COMMAND, IDCANCEL, 0);
        }
    }
    ::CoUninitialize();
    SetCachedSession(L"Local");
    ::SetEvent(quit.Get());
    ::WaitForSingleObject(host.Get(), 10000);
    ::UnmapViewOfFile(const_cast<LONG*>(count));
    return status;
}
