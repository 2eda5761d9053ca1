#include "detection/RemoteType.h"

#include <cwchar>

namespace sharedfarlink {

namespace {

struct RemoteTypeName {
    const wchar_t* name;
    int type;
};

// The names are also what the per-user session cache stores.
const RemoteTypeName kNames[] = {
    {L"Local", RemoteTypeLocal},     {L"ICA", RemoteTypeIca},
    {L"RDP", RemoteTypeRdp},         {L"Horizon", RemoteTypeHorizon},
    {L"Glass", RemoteTypeGlass},     {L"AWS", RemoteTypeAws},
    {L"Azure", RemoteTypeAzure},     {L"Disconnected", RemoteTypeDisconnected},
};

}  // namespace

int ParseRemoteType(const wchar_t* text) {
    if (!text) return RemoteTypeNone;
    for (const RemoteTypeName& entry : kNames) {
        if (::_wcsicmp(text, entry.name) == 0) return entry.type;
    }
    return RemoteTypeNone;
}

const wchar_t* NameOfRemoteType(int type) {
    for (const RemoteTypeName& entry : kNames) {
        if (entry.type == type) return entry.name;
    }
    return nullptr;
}

}  // namespace sharedfarlink
