#include "CheckCommand.h"

#include <windows.h>
#include <msi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <new>
#include <string>
#include <vector>

#include "Output.h"
#include "dialogs/RemoteDialogBase.h"
#include "detection/CInstallSupport.h"
#include "detection/RemoteType.h"
#include "support/Translation.h"
#include "win/ComApartment.h"

namespace farlinkctl {

namespace {

using sharedfarlink::TriState;

constexpr int kAllWorking = 0;
constexpr int kNeedsRepair = 1;
constexpr int kCouldNotRun = 2;

const wchar_t kUsage[] =
    L"usage: farlinkctl check|repair [--json] [--language LANG] [--product-code CODE]";

struct Options {
    bool repair = false;
    bool json = false;
    std::wstring language = L"enu";
    std::wstring productCode;
    bool productCodeGiven = false;
};

struct Channel {
    std::wstring line;  // as the dialog lists it, without the list item's CR LF
    std::wstring name;
    int type = sharedfarlink::RemoteTypeNone;
    bool working = false;
    TriState clientInstalled = -1;
    TriState pluginInstalled = 0;
    TriState pluginRegistered = 0;
};

// Standard error is for the reasons a script logs; UTF-8 like standard output.
void PrintError(const std::wstring& text) {
    std::wstring line = text + L"\n";
    int size = ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(size > 1 ? size - 1 : 0, '\0');
    if (size > 1)
        ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, &bytes[0], size, nullptr, nullptr);
    std::fputs(bytes.c_str(), stderr);
    std::fflush(stderr);
}

// The Remote Desktop dialog without its window: the same detector, so the
// same session probe and cache rules, and the same text builders. Nothing
// goes through AddListLine, so nothing reaches the dialogs' log.
class ChannelCheck : public dialogs::RemoteDialogBase {
public:
    std::wstring SessionName() const {
        int type = remoteSession ? detector.SessionType() : sharedfarlink::RemoteTypeLocal;
        const wchar_t* name = sharedfarlink::NameOfRemoteType(type);
        return name ? name : std::to_wstring(type);
    }

    // The dialog's fill of its channel list, in the order the sorted list shows it.
    std::vector<Channel> Channels(const std::wstring& productCode) {
        std::vector<Channel> channels;
        bool first = true;
        while (detector.MoveNext(first, productCode)) {
            Channel channel;
            if (!BuildChannelLine(channel.line, channel.working)) continue;
            channel.type = detector.GetType();
            GetChannelName(channel.type, channel.name);
            channel.clientInstalled = detector.IsClientInstalled(remoteSession);
            channel.pluginInstalled = detector.IsDllInstalled(remoteSession);
            channel.pluginRegistered = detector.IsRegistered(remoteSession);
            channels.push_back(std::move(channel));
        }
        // The list box sorts its items case-insensitively in the user's locale.
        std::stable_sort(channels.begin(), channels.end(), [](const Channel& a, const Channel& b) {
            return ::lstrcmpiW(a.line.c_str(), b.line.c_str()) < 0;
        });
        for (Channel& channel : channels) {
            while (!channel.line.empty() &&
                   (channel.line.back() == L'\n' || channel.line.back() == L'\r'))
                channel.line.pop_back();
        }
        return channels;
    }

    TriState Repair(const std::wstring& productCode) {
        return detector.Repair(remoteSession, productCode);
    }
};

bool ParseOptions(int argc, wchar_t** argv, Options* options, std::wstring* error) {
    options->repair = std::wcscmp(argv[1], L"repair") == 0;
    for (int i = 2; i < argc; ++i) {
        std::wstring arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == L"--json") {
            options->json = true;
        } else if (arg == L"--language" && hasValue) {
            options->language = argv[++i];
        } else if (arg == L"--product-code" && hasValue) {
            options->productCode = argv[++i];
            options->productCodeGiven = true;
        } else {
            *error = (arg == L"--language" || arg == L"--product-code")
                         ? arg + L" needs a value"
                         : L"unknown option: " + arg;
            return false;
        }
    }
    return true;
}

std::wstring JsonString(const std::wstring& text) {
    std::wstring out = L"\"";
    for (wchar_t c : text) {
        switch (c) {
            case L'"': out += L"\\\""; break;
            case L'\\': out += L"\\\\"; break;
            case L'\n': out += L"\\n"; break;
            case L'\r': out += L"\\r"; break;
            case L'\t': out += L"\\t"; break;
            default:
                if (c < 0x20) {
                    wchar_t escaped[8];
                    std::swprintf(escaped, 8, L"\\u%04x", static_cast<unsigned>(c));
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    return out + L"\"";
}

// -1 (the question does not apply on this side) is null.
std::wstring JsonTriState(TriState value) {
    return value == -1 ? L"null" : value == 0 ? L"false" : L"true";
}

std::wstring JsonBool(bool value) { return value ? L"true" : L"false"; }

std::wstring RepairResultName(TriState result) {
    return result == 1 ? L"repaired" : result == 0 ? L"failed" : L"nothing to do";
}

std::wstring Json(const Options& options, const std::wstring& session,
                  const std::vector<Channel>& channels, bool allWorking, TriState repairResult,
                  const std::wstring& repairMessage) {
    std::wstring json = L"{\"command\":" + JsonString(options.repair ? L"repair" : L"check") +
                        L",\"session\":" + JsonString(session);
    if (options.repair) {
        json += L",\"repairResult\":" + JsonString(RepairResultName(repairResult)) +
                L",\"repairMessage\":" + JsonString(repairMessage);
    }
    json += L",\"allWorking\":" + JsonBool(allWorking) + L",\"channels\":[";
    for (size_t i = 0; i < channels.size(); ++i) {
        const Channel& c = channels[i];
        const wchar_t* type = sharedfarlink::NameOfRemoteType(c.type);
        json += (i ? L",{" : L"{");
        json += L"\"line\":" + JsonString(c.line) + L",\"name\":" + JsonString(c.name) +
                L",\"type\":" + JsonString(type ? type : L"") +
                L",\"working\":" + JsonBool(c.working) +
                // A listed channel needs repair exactly when it does not work:
                // the components' rule and the dialog's test read the same answers.
                L",\"needsRepair\":" + JsonBool(!c.working) +
                L",\"clientInstalled\":" + JsonTriState(c.clientInstalled) +
                L",\"pluginInstalled\":" + JsonTriState(c.pluginInstalled) +
                L",\"pluginRegistered\":" + JsonTriState(c.pluginRegistered) + L"}";
    }
    return json + L"]}";
}

int Run(const Options& options) {
    win::ComApartment apartment;
    if (FAILED(apartment.Result())) {
        PrintError(L"farlinkctl: COM could not be initialized: " + Hex(apartment.Result()));
        return kCouldNotRun;
    }
    support::InitializeTranslation(options.language.c_str());
    // The dialog has the product code from the client; here the installation's
    // own record stands in for it.
    std::wstring productCode = options.productCodeGiven
                                   ? options.productCode
                                   : sharedfarlink::CInstallSupport().ReadProductCode();
    ChannelCheck check;
    TriState repairResult = -1;
    std::wstring repairMessage;
    if (options.repair) {
        // A feature reinstall must not open installer windows nobody sees.
        ::MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
        repairResult = check.Repair(productCode);
        check.GetRepairResultText(repairResult, repairMessage);
    }
    std::vector<Channel> channels = check.Channels(productCode);
    bool allWorking = std::all_of(channels.begin(), channels.end(),
                                  [](const Channel& c) { return c.working; });
    if (options.json) {
        PrintLine(Json(options, check.SessionName(), channels, allWorking, repairResult,
                       repairMessage));
    } else {
        if (!repairMessage.empty()) PrintLine(repairMessage);
        for (const Channel& channel : channels) PrintLine(channel.line);
    }
    if (options.repair && repairResult == 0) return kCouldNotRun;
    return allWorking ? kAllWorking : kNeedsRepair;
}

}  // namespace

bool IsCheckCommand(const wchar_t* command) {
    return std::wcscmp(command, L"check") == 0 || std::wcscmp(command, L"repair") == 0;
}

int RunCheckCommand(int argc, wchar_t** argv) {
    Options options;
    std::wstring error;
    if (!ParseOptions(argc, argv, &options, &error)) {
        PrintError(L"farlinkctl: " + error);
        PrintError(kUsage);
        return kCouldNotRun;
    }
    try {
        return Run(options);
    } catch (const std::bad_alloc&) {
        PrintError(L"farlinkctl: out of memory");
    } catch (...) {
        PrintError(L"farlinkctl: the check failed unexpectedly");
    }
    return kCouldNotRun;
}

}  // namespace farlinkctl
