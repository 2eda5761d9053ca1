#pragma once
// The report's words, each through the translation catalogue: the channel
// names and states the dialog lists, the repair's messages, and the reasons.
#include <string>

#include "detection/ChannelFault.h"
#include "detection/RemoteType.h"

namespace report {

// "RDP channel" and so on; empty for a type without a channel.
std::wstring ChannelName(int type);
std::wstring ChannelStateText(bool working);
// The dialog's message for a repair answer; empty for -1 (nothing was done).
std::wstring RepairResultText(sharedfarlink::TriState result);
// The same for a report that also knows whether the repair held: a repair
// that left a channel it touched not working does not say "repaired".
std::wstring RepairOutcomeText(sharedfarlink::TriState result, bool held);
// Why a channel does not work, or why its repair failed; empty for None.
std::wstring FaultText(const sharedfarlink::ChannelFault& fault);

}  // namespace report
