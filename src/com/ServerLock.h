#pragma once
// The lock count of the local server that hosts these objects: one per live
// object plus IClassFactory::LockServer(TRUE) calls. The host defines both
// functions; when the count reaches zero the host shuts down.
#include <windows.h>

namespace com {

void LockServer();
ULONG UnlockServer();

}  // namespace com
