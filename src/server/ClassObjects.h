#pragma once
// The server's class objects (TestProgress, FarlinkUI), registered with COM
// while the server runs.
#include <windows.h>

namespace server {

class ClassObjects {
public:
    ClassObjects() = default;
    ClassObjects(const ClassObjects&) = delete;
    ClassObjects& operator=(const ClassObjects&) = delete;

    // Registers every class suspended; CoResumeClassObjects opens them together.
    HRESULT Register();
    // Revokes what Register registered; safe to call more than once.
    HRESULT Revoke();

private:
    DWORD cookies_[2] = {};
};

}  // namespace server
