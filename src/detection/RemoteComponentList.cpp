#include "detection/RemoteComponentList.h"

#include "detection/AwsComponent.h"
#include "detection/AzureComponent.h"
#include "detection/HorizonComponent.h"
#include "detection/IcaComponent.h"
#include "detection/RdpComponent.h"
#include "detection/RdpGlassComponent.h"

namespace sharedfarlink {

namespace {

// Null when the prototype is not of that class, so a wrong type cannot slice
// an unrelated object.
template <typename Component>
ComponentHolder CopyAs(const IRemoteComponent& prototype) {
    auto* source = dynamic_cast<const Component*>(&prototype);
    return source ? ComponentHolder(new Component(*source)) : ComponentHolder();
}

}  // namespace

RemoteComponentList::RemoteComponentList() {
    // List order is the tie-break for process names: "mstsc.exe" must meet
    // RdpComponent before RdpGlassComponent.
    prototypes_.emplace_back(new RdpComponent);
    prototypes_.emplace_back(new IcaComponent);
    prototypes_.emplace_back(new HorizonComponent);
    prototypes_.emplace_back(new AwsComponent);
    prototypes_.emplace_back(new RdpGlassComponent);
    prototypes_.emplace_back(new AzureComponent);
}

RemoteComponentList::~RemoteComponentList() {
    // In list order, which the vector's own destructor does not promise.
    for (ComponentHolder& prototype : prototypes_) prototype.reset();
}

const RemoteComponentList& GetComponentList() {
    // A function-local static: built once, other threads wait for the first,
    // destroyed by the exit-time handlers.
    static const RemoteComponentList list;
    return list;
}

bool CloneComponent(int type, const IRemoteComponent& prototype, ComponentHolder& out) {
    ComponentHolder copy;
    switch (type) {
        case RemoteTypeIca: copy = CopyAs<IcaComponent>(prototype); break;
        case RemoteTypeRdp: copy = CopyAs<RdpComponent>(prototype); break;
        case RemoteTypeHorizon: copy = CopyAs<HorizonComponent>(prototype); break;
        case RemoteTypeGlass: copy = CopyAs<RdpGlassComponent>(prototype); break;
        case RemoteTypeAws: copy = CopyAs<AwsComponent>(prototype); break;
        case RemoteTypeAzure: copy = CopyAs<AzureComponent>(prototype); break;
        default: break;
    }
    if (!copy) return false;
    out = std::move(copy);
    return true;
}

bool FindByType(int type, ComponentHolder& out) {
    const RemoteComponentList& list = GetComponentList();
    for (size_t i = 0; i < list.Size(); ++i) {
        if (list.At(i).GetType() == type) return CloneComponent(type, list.At(i), out);
    }
    return false;
}

bool FindByProcessName(bool remoteSession, const std::wstring& name, ComponentHolder& out) {
    const RemoteComponentList& list = GetComponentList();
    for (size_t i = 0; i < list.Size(); ++i) {
        const IRemoteComponent& prototype = list.At(i);
        if (prototype.MatchesProcessName(remoteSession, name))
            return CloneComponent(prototype.GetType(), prototype, out);
    }
    return false;
}

bool FirstComponent(ComponentCursor& cursor) {
    cursor = 0;
    return GetComponentList().Size() > 0;
}

bool NextComponentPosition(ComponentCursor& cursor) {
    size_t size = GetComponentList().Size();
    if (cursor >= size) return false;
    ++cursor;
    return cursor < size;
}

}  // namespace sharedfarlink
