#pragma once
// The process-wide, read-only list of component prototypes, and the ways to
// get a private copy of one. Nothing ever changes a prototype.
#include <cstddef>
#include <vector>

#include "detection/IRemoteComponent.h"

namespace sharedfarlink {

class RemoteComponentList {
public:
    RemoteComponentList();
    ~RemoteComponentList();
    RemoteComponentList(const RemoteComponentList&) = delete;
    RemoteComponentList& operator=(const RemoteComponentList&) = delete;

    size_t Size() const { return prototypes_.size(); }
    const IRemoteComponent& At(size_t position) const { return *prototypes_[position]; }

private:
    std::vector<ComponentHolder> prototypes_;
};

// Built on first use; a second thread arriving meanwhile waits for it. Lives
// until the process exits.
const RemoteComponentList& GetComponentList();

// Copies `prototype` as the class that `type` names into `out`. False, with
// `out` untouched, for a type that has no component.
bool CloneComponent(int type, const IRemoteComponent& prototype, ComponentHolder& out);

// A copy of the first prototype of that type.
bool FindByType(int type, ComponentHolder& out);

// A copy of the first prototype whose process name matches; list order breaks ties.
bool FindByProcessName(bool remoteSession, const std::wstring& name, ComponentHolder& out);

// A position in the list. kNoComponent (and anything past the end) is "none".
using ComponentCursor = size_t;
constexpr ComponentCursor kNoComponent = static_cast<ComponentCursor>(-1);

// Sets `cursor` to the first element; false when the list is empty.
bool FirstComponent(ComponentCursor& cursor);
// Moves `cursor` on by one; false when it was or now is past the end.
bool NextComponentPosition(ComponentCursor& cursor);

}  // namespace sharedfarlink
