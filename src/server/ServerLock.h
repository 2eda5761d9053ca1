#pragma once
// The server's lock count: one per live COM object of the server, plus
// LockServer(TRUE) calls. Reaching zero ends the process's message loop.
#include <windows.h>

namespace server {

void LockServer();
ULONG UnlockServer();

}  // namespace server
