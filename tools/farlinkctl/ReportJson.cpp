#include "ReportJson.h"

#include "version.h"

namespace farlinkctl {

namespace {

// Raised when a key changes meaning or goes; new keys do not raise it.
constexpr wchar_t kSchemaVersion[] = L"1";

std::wstring String(const std::wstring& text) {
    static const wchar_t kHex[] = L"0123456789abcdef";
    std::wstring out = L"\"";
    for (wchar_t c : text) {
        if (c == L'"' || c == L'\\') {
            out += L'\\';
            out += c;
        } else if (c < 0x20) {
            out += L"\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += c;
        }
    }
    return out + L"\"";
}

std::wstring StringOrNull(const std::wstring& text) { return text.empty() ? L"null" : String(text); }

const wchar_t* RepairName(sharedfarlink::TriState result) {
    return result == 1 ? L"repaired" : result == 0 ? L"failed" : L"nothing to do";
}

std::wstring Channel(const report::Channel& c, bool repair) {
    const wchar_t* type = sharedfarlink::NameOfRemoteType(c.type);
    std::wstring json = L"{\"type\":" + String(type ? type : L"") + L",\"name\":" + String(c.name) +
                        L",\"state\":" + String(c.working ? L"working" : L"not working") +
                        L",\"line\":" + String(c.line) + L",\"reason\":" + StringOrNull(c.reason);
    if (repair)
        json += L",\"repair\":" + String(RepairName(c.repair)) +
                L",\"repairReason\":" + StringOrNull(c.repairReason);
    return json + L"}";
}

}  // namespace

std::wstring ReportJson(const ReportFacts& facts) {
    std::wstring json = std::wstring(L"{\"schemaVersion\":") + kSchemaVersion +
                        L",\"toolVersion\":\"" FARLINK_VERSION_STRING "\"" +
                        L",\"productVersion\":" + StringOrNull(facts.productVersion) +
                        L",\"command\":" + String(facts.repair ? L"repair" : L"check") +
                        L",\"installed\":" + (facts.report ? L"true" : L"false");
    if (!facts.report) return json + L",\"reason\":" + String(facts.notInstalledReason) + L"}";
    json += L",\"session\":" + String(facts.session) +
            L",\"allWorking\":" + (facts.report->AllWorking() ? L"true" : L"false");
    if (facts.repair) {
        const wchar_t* result = facts.repairResult == 1 && !facts.report->RepairHeld()
                                    ? L"incomplete"
                                    : RepairName(facts.repairResult);
        json += L",\"repair\":{\"result\":" + String(result) +
                L",\"message\":" + String(facts.repairMessage) + L"}";
    }
    json += L",\"channels\":[";
    bool first = true;
    for (const report::Channel& channel : facts.report->Channels()) {
        if (!first) json += L",";
        first = false;
        json += Channel(channel, facts.repair);
    }
    return json + L"]}";
}

}  // namespace farlinkctl
