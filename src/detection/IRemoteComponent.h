#pragma once
// What every remote-client technology answers about its plug-in on one side of
// a connection. The slot order is part of the contract: keep it.
#include <memory>
#include <string>

#include "detection/RemoteType.h"

namespace sharedfarlink {

class IRemoteComponent {
public:
    virtual ~IRemoteComponent() = default;
    // `remoteSession` is true on the host side of a remote connection, false on
    // the client machine; every answer is for that side.
    virtual bool MatchesProcessName(bool remoteSession, const std::wstring& processName) const = 0;
    virtual int GetType() const = 0;
    virtual bool GetChannelDll(bool remoteSession, std::wstring& dllName) const = 0;
    virtual bool UpdateState(bool remoteSession, const std::wstring& productCode) = 0;
    virtual TriState IsClientInstalled(bool remoteSession) const = 0;
    virtual TriState IsRegistered(bool remoteSession) const = 0;
    virtual TriState IsDllInstalled(bool remoteSession) const = 0;
    virtual TriState Repair(bool remoteSession, const std::wstring& productCode) = 0;
};

// A component copy owned by exactly one holder; storing into it destroys the
// previous content.
using ComponentHolder = std::unique_ptr<IRemoteComponent>;

}  // namespace sharedfarlink
