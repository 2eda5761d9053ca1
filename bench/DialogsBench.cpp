// Figures for the Remote Desktop dialog: the time from a client's
// ShowRemoteDesktopDialog to the dialog on screen with its channel list
// filled, beside the detector's enumeration of the components alone, in the
// same run. The server answers the session probe from the per-user cache (the
// bench script seeds it), so no cloud check is in the figures. Prints numbers;
// asserts nothing.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "FarlinkUI.h"
#include "shared/Farlink/RemoteComponentDetector.h"
#include "BenchClock.h"
#include "win/Bstr.h"
#include "win/ComPtr.h"

namespace {

const wchar_t kCaption[] = L"Corvane \x2013 Remote Desktop";
constexpr int kChannelList = 1001;
constexpr int kRounds = 15;

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
        }
    }
    ::CoUninitialize();
    return status;
}
