#pragma once
// The report as one JSON object on one line (schema in the README).
#include <string>

#include "report/ChannelReport.h"

namespace farlinkctl {

struct ReportFacts {
    bool repair = false;
    std::wstring productVersion;
    std::wstring notInstalledReason;  // set when the product is not installed
    std::wstring session;
    const report::ChannelReport* report = nullptr;  // null when not installed
    sharedfarlink::TriState repairResult = -1;
    std::wstring repairMessage;
};

std::wstring ReportJson(const ReportFacts& facts);

}  // namespace farlinkctl
