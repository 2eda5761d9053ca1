#include "CheckCommand.h"

#include <windows.h>
#include <msi.h>

#include "Console.h"
#include "ReportJson.h"
#include "detection/CInstallSupport.h"
#include "report/ChannelReport.h"
#include "report/ChannelTexts.h"
#include "report/Installation.h"
#include "support/TextFormat.h"
#include "support/Translation.h"
#include "win/ComApartment.h"

namespace farlinkctl {

namespace {

// English needs no catalogue; any other language must bring one that knows
// the channel texts, or the administrator is told the output is English.
void SetLanguage(const std::wstring& language) {
    support::InitializeTranslation(language.c_str());
    if (language == L"enu") return;
    if (support::Translate(L"Remote channel status", L"working") != L"working") return;
    PrintErr(L"farlinkctl: warning: no catalogue for the language \"" + language +
             L"\" could be loaded; the texts are in English.");
}

void PrintText(const report::ChannelReport& report, const std::wstring& repairMessage) {
    if (!repairMessage.empty()) PrintOut(repairMessage);
    for (const report::Channel& channel : report.Channels()) {
        PrintOut(channel.line);
        if (!channel.reason.empty()) PrintOut(L"  " + channel.reason);
        if (!channel.repairReason.empty()) PrintOut(L"  " + channel.repairReason);
    }
}

}  // namespace

int RunCheck(const CheckOptions& options) {
    // The session probe's cloud check speaks WMI.
    win::ComApartment apartment;
    if (FAILED(apartment.Result())) {
        PrintErr(L"farlinkctl: COM could not be initialized");
        return kCouldNotRun;
    }
    SetLanguage(options.language);
    ReportFacts facts;
    facts.repair = options.repair;
    const report::Installation installation = report::ReadInstallation();
    facts.productVersion = installation.version;
    if (!installation.installed) {
        facts.notInstalledReason = installation.reason;
        if (options.json) PrintOut(ReportJson(facts));
        else PrintOut(support::FormatText(support::Translate(L"Installation", L"The product is not installed here: %s"),
                                          {installation.reason}));
        return kNotInstalled;
    }
    // The dialog has the product code from the client; here the installation's
    // own record stands in for it.
    const std::wstring productCode = options.productCode.empty()
                                         ? sharedfarlink::CInstallSupport().ReadProductCode()
                                         : options.productCode;
    sharedfarlink::RemoteComponentDetector detector;
    report::ChannelReport report(detector);
    if (options.repair) {
        // A feature reinstall must not open installer windows nobody sees.
        ::MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
        facts.repairResult = report.Repair(productCode);
        facts.repairMessage = report::RepairOutcomeText(facts.repairResult, report.RepairHeld());
    } else {
        report.Read(productCode);
    }
    const wchar_t* session = sharedfarlink::NameOfRemoteType(report.SessionType());
    facts.session = session ? session : L"";
    facts.report = &report;
    if (options.json) PrintOut(ReportJson(facts));
    else PrintText(report, facts.repairMessage);
    if (options.repair && facts.repairResult == 0) return kCouldNotRun;
    return report.AllWorking() ? kAllWorking : kNeedsRepair;
}

}  // namespace farlinkctl
