#pragma once
// The client test that the Citrix and WorkSpaces components share: their
// clients exist only on the client machine, found by their own readings.
#include "detection/RemoteType.h"

namespace sharedfarlink {

inline TriState ClientInstallAnswer(bool remoteSession, bool installFound) {
    if (remoteSession) return -1;
    return installFound ? 1 : 0;
}

}  // namespace sharedfarlink
