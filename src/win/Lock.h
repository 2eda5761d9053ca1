#pragma once
// The one lock type of the program: a slim reader/writer lock taken
// exclusively, with a scoped guard. It needs no initialisation call and no
// clean-up, so a static one is safe from the first instruction on.
#include <windows.h>

namespace win {

class Lock {
public:
    Lock() = default;
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

    void Acquire() { ::AcquireSRWLockExclusive(&lock_); }
    void Release() { ::ReleaseSRWLockExclusive(&lock_); }

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
};

class AutoLock {
public:
    explicit AutoLock(Lock& lock) : lock_(lock) { lock_.Acquire(); }
    ~AutoLock() { lock_.Release(); }
    AutoLock(const AutoLock&) = delete;
    AutoLock& operator=(const AutoLock&) = delete;

private:
    Lock& lock_;
};

}  // namespace win
