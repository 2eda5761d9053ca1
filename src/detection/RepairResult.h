#pragma once
// How the repairs of several components add up to one answer.
#include "detection/RemoteType.h"

namespace sharedfarlink {

// Folds one component's repair answer into the total so far (start with -1):
// any failure makes the whole repair a failure, else any repair makes it a
// success, else nothing was done.
inline TriState CombineRepairResult(TriState total, TriState component) {
    if (component == 0) return 0;
    if (component == 1 && total == -1) return 1;
    return total;
}

}  // namespace sharedfarlink
