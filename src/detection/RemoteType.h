#pragma once
// One numbering for kinds of session and kinds of component.
namespace sharedfarlink {

enum RemoteTypeValue : int {
    RemoteTypeNone = -1,
    RemoteTypeLocal = 0,
    RemoteTypeIca = 1,
    RemoteTypeRdp = 2,
    RemoteTypeHorizon = 3,
    RemoteTypeGlass = 4,
    RemoteTypeAws = 5,
    RemoteTypeAzure = 6,
    RemoteTypeDisconnected = 100,
};

// The answer of the component queries: -1 does not apply on this side, 0 no, 1 yes.
using TriState = int;

// The RemoteType whose name equals `text` without regard to case; -1 for null
// or a name outside the table.
int ParseRemoteType(const wchar_t* text);

// The name of `type` as the cache stores it; null for a value outside the table.
const wchar_t* NameOfRemoteType(int type);

}  // namespace sharedfarlink
