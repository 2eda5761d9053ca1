#include "report/ChannelReport.h"

#include <algorithm>

#include "report/ChannelTexts.h"

namespace report {

int ChannelReport::SessionType() const {
    return detector_.inRemoteSession ? detector_.SessionType() : sharedfarlink::RemoteTypeLocal;
}

void ChannelReport::Read(const std::wstring& productCode) {
    channels_.clear();
    const bool remote = detector_.inRemoteSession;
    bool first = true;
    while (detector_.MoveNext(first, productCode)) {
        // A client that is not installed has no channel to list; -1 (cannot
        // tell on this side) lists it as 1 does.
        if (detector_.IsClientInstalled(remote) == 0) continue;
        Channel channel;
        channel.type = detector_.GetType();
        channel.clientInstalled = detector_.IsClientInstalled(remote);
        channel.pluginInstalled = detector_.IsDllInstalled(remote);
        channel.pluginRegistered = detector_.IsRegistered(remote);
        channel.working = channel.pluginInstalled != 0 && channel.pluginRegistered != 0;
        channel.name = ChannelName(channel.type);
        channel.line = channel.name + L" " + ChannelStateText(channel.working);
        if (!channel.working) channel.reason = FaultText(detector_.Fault());
        channels_.push_back(std::move(channel));
    }
}

TriState ChannelReport::Repair(const std::wstring& productCode) {
    std::vector<sharedfarlink::RemoteComponentDetector::ComponentRepair> outcomes;
    repairResult_ = detector_.RepairEach(detector_.inRemoteSession, productCode, &outcomes);
    Read(productCode);
    for (const auto& outcome : outcomes) {
        for (Channel& channel : channels_) {
            if (channel.type != outcome.type) continue;
            channel.repair = outcome.result;
            if (outcome.result == 0) channel.repairReason = FaultText(outcome.fault);
        }
    }
    return repairResult_;
}

bool ChannelReport::AllWorking() const {
    return std::all_of(channels_.begin(), channels_.end(),
                       [](const Channel& c) { return c.working; });
}

bool ChannelReport::RepairHeld() const {
    return repairResult_ == 1 &&
           std::none_of(channels_.begin(), channels_.end(),
                        [](const Channel& c) { return c.repair == 1 && !c.working; });
}

}  // namespace report
