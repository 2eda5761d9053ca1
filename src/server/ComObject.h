#pragma once
// COM objects of the server: each holds the server lock while it is alive, so
// the process ends when the last of them goes.
#include "server/ServerLock.h"
#include "win/ComObject.h"

namespace server {

class ServerObject {
public:
    ServerObject() { LockServer(); }
    virtual ~ServerObject() { UnlockServer(); }
    ServerObject(const ServerObject&) = delete;
    ServerObject& operator=(const ServerObject&) = delete;
};

template <typename T>
using ComObject = win::ComObject<T>;

}  // namespace server
