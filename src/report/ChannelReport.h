#pragma once
// The channels that apply to this session as the Remote Desktop dialog lists
// them, each with its state, its line and, when it does not work, the reason;
// and the repair with each channel's own answer. No window: the dialog shows
// a report, farlinkctl prints one.
#include <string>
#include <vector>

#include "detection/RemoteComponentDetector.h"

namespace report {

using sharedfarlink::TriState;

struct Channel {
    int type = sharedfarlink::RemoteTypeNone;
    bool working = false;
    std::wstring name;    // "RDP channel", translated
    std::wstring line;    // "RDP channel working": the dialog's line without its CR LF
    std::wstring reason;  // why it does not work; empty when it works
    TriState clientInstalled = -1;
    TriState pluginInstalled = 0;
    TriState pluginRegistered = 0;
    TriState repair = -1;       // this channel's own repair answer, after Repair
    std::wstring repairReason;  // why that repair failed
};

class ChannelReport {
public:
    // The detector stays the caller's (a dialog owns one for its life); its
    // probe fixed the session.
    explicit ChannelReport(sharedfarlink::RemoteComponentDetector& detector) : detector_(detector) {}

    // The probed session type; Local when the process runs on no remote session.
    int SessionType() const;
    // Reads every channel that applies afresh, in the detector's order, which
    // is the order the dialog adds (and logs) its lines.
    void Read(const std::wstring& productCode);
    // Repairs every channel that applies, then reads them all again. The
    // detector's combined answer: -1 nothing to do, 0 failed, 1 repaired.
    TriState Repair(const std::wstring& productCode);

    const std::vector<Channel>& Channels() const { return channels_; }
    bool AllWorking() const;
    // A repair that gave 1 and left every channel it touched working.
    bool RepairHeld() const;

private:
    sharedfarlink::RemoteComponentDetector& detector_;
    std::vector<Channel> channels_;
    TriState repairResult_ = -1;
};

}  // namespace report
