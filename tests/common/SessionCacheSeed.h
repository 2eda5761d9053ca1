#pragma once
// Seeds the per-user session cache ("Server"="Local" under
// HKCU\Software\Corvane\Farlink) in the prefix's real registry, where a
// server that COM starts reads it, so the cloud check never runs and nothing
// leaves the machine. Restores what was there before when it goes.
#include <windows.h>

#include <string>

namespace testing_support {

class SessionCacheSeed {
public:
    explicit SessionCacheSeed(const wchar_t* session = L"Local");
    ~SessionCacheSeed();
    SessionCacheSeed(const SessionCacheSeed&) = delete;
    SessionCacheSeed& operator=(const SessionCacheSeed&) = delete;

    bool Seeded() const { return seeded_; }
    // Answers later probes with another session type.
    bool Set(const wchar_t* session);

private:
    bool seeded_ = false;
    bool hadValue_ = false;
    std::wstring previous_;
};

}  // namespace testing_support
