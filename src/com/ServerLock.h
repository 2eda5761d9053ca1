#pragma once
// The lock count of the local server that hosts these objects: one per live
// object, per IClassFactory::LockServer(TRUE) and per shown window. The host
// hands its lock to the class factories, which hand it to every object they
// make; when the count reaches zero the host shuts down.
#include <windows.h>

namespace com {

class ServerLock {
public:
    virtual void Lock() = 0;
    virtual ULONG Unlock() = 0;
    // Lock, unless the server has already decided to stop: an activation that
    // arrives then must go to a new server.
    virtual bool TryLock() = 0;

protected:
    ~ServerLock() = default;
};

}  // namespace com
