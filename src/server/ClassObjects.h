#pragma once
// The server's class objects (TestProgress, FarlinkUI), registered with COM
// while the server runs. Their factories make objects that hold `lock`.
#include <windows.h>

#include "com/ClassFactory.h"
#include "server/CFarlinkUI.h"
#include "server/CTestProgress.h"

namespace server {

class ClassObjects {
public:
    ClassObjects(com::ServerLock& lock, FarlinkModule& module)
        : testProgress_(lock, lock), farlinkUI_(lock, module) {}
    ClassObjects(const ClassObjects&) = delete;
    ClassObjects& operator=(const ClassObjects&) = delete;

    // Registers every class suspended; CoResumeClassObjects opens them together.
    HRESULT Register();
    // Revokes what Register registered; safe to call more than once.
    HRESULT Revoke();

private:
    com::ClassFactory<CTestProgress, com::ServerLock> testProgress_;
    com::ClassFactory<CFarlinkUI, FarlinkModule> farlinkUI_;
    DWORD cookies_[2] = {};
};

}  // namespace server
