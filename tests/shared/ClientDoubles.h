#pragma once
// Running stand-ins for remote client programs: the client double copied
// under a client's file name into a scratch folder beside a plug-in double,
// started, and told to end (or killed) when this object goes.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "common/ChildProcess.h"
#include "win/ScopedHandle.h"

namespace detection_tests {

class ClientDoubles {
public:
    ClientDoubles();
    ~ClientDoubles();
    ClientDoubles(const ClientDoubles&) = delete;
    ClientDoubles& operator=(const ClientDoubles&) = delete;

    // Starts the double as `exeName` and waits until it runs. With `loadDll`
    // it loads that name first (the folder holds the plug-in double as
    // "vcbrdp.dll", "vcbpco.dll" and "vcbica.dll"); false when it did not start or the load
    // failed. Without `wait` it returns once the process exists; WaitAllReady
    // then waits for every double started so far (a quicker way to start many).
    bool Start(const std::wstring& exeName, const wchar_t* loadDll = nullptr, bool wait = true);
    bool WaitAllReady();
    DWORD Pid(size_t index) const { return children_[index]->Pid(); }
    size_t Count() const { return children_.size(); }

    // Signals every double to end and waits for them.
    void StopAll();

private:
    std::wstring dir_;
    std::wstring eventName_;
    win::ScopedHandle quit_;
    std::vector<std::unique_ptr<testing_support::ChildProcess>> children_;
};

}  // namespace detection_tests
