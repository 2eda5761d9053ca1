#include "shared/ClientDoubles.h"

#include "common/TestPaths.h"

namespace detection_tests {

ClientDoubles::ClientDoubles() {
    static unsigned counter = 0;
    dir_ = testing_support::MakeScratchDir(L"clients");
    eventName_ = L"FarlinkClientDoubles-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                 std::to_wstring(++counter);
    // Manual reset: one signal ends every double.
    quit_.Reset(::CreateEventW(nullptr, TRUE, FALSE, eventName_.c_str()));
    std::wstring plugin = testing_support::BesideExe(L"plugin_double.dll");
    ::CopyFileW(plugin.c_str(), (dir_ + L"\\vcbrdp.dll").c_str(), FALSE);
    ::CopyFileW(plugin.c_str(), (dir_ + L"\\vcbpco.dll").c_str(), FALSE);
    ::CopyFileW(plugin.c_str(), (dir_ + L"\\vcbica.dll").c_str(), FALSE);
}

ClientDoubles::~ClientDoubles() {
    StopAll();
    testing_support::RemoveTree(dir_);
}

bool ClientDoubles::Start(const std::wstring& exeName, const wchar_t* loadDll, bool wait) {
    std::wstring exe = dir_ + L"\\" + exeName;
    if (!testing_support::FileExists(exe) &&
        !::CopyFileW(testing_support::BesideExe(L"client_double.exe").c_str(), exe.c_str(), TRUE))
        return false;
    std::wstring command = testing_support::Quote(exe) + L" --event " + eventName_;
    if (loadDll) command += std::wstring(L" --load ") + loadDll;
    auto child = std::make_unique<testing_support::ChildProcess>();
    if (!child->Start(command, true)) return false;
    bool ready = !wait || child->WaitForOutput(loadDll ? "ready 1" : "ready", 15000);
    children_.push_back(std::move(child));
    return ready;
}

bool ClientDoubles::WaitAllReady() {
    for (auto& child : children_) {
        if (!child->WaitForOutput("ready", 30000)) return false;
    }
    return true;
}

void ClientDoubles::StopAll() {
    if (quit_) ::SetEvent(quit_.Get());
    for (auto& child : children_) {
        // Anything that does not end on the signal is killed by the child's
        // own destructor.
        child->Wait(5000);
    }
    children_.clear();
    if (quit_) ::ResetEvent(quit_.Get());
}

}  // namespace detection_tests
