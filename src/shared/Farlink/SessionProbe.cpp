#include "shared/Farlink/SessionProbe.h"

namespace sharedfarlink {

// Placeholder until the real probe lands: a local session.
int ProbeSession() { return RemoteTypeLocal; }

int ParseRemoteType(const wchar_t*) { return RemoteTypeNone; }

}  // namespace sharedfarlink
