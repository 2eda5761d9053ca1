#pragma once
// Tells on which side of a remote connection this process runs.
#include "detection/RemoteType.h"

namespace sharedfarlink {

// Probes terminal services, the Glass session id, the Citrix and VMware session
// interfaces and the per-user cache (with the cloud instance probe behind it),
// in that order. Returns a RemoteType: 0 when nothing remote was found.
int ProbeSession();

}  // namespace sharedfarlink
