// The seams as the shipped programs have them: the system's answers and the
// real metadata service. Test programs link their own definitions instead, so
// nothing in a shipped image can be switched to test behaviour.
#include "detection/CloudProbeSeams.h"
#include "detection/IsWow64.h"
#include "detection/ModuleCompanion.h"
#include "detection/SessionFacts.h"

namespace sharedfarlink {

SessionFacts& CurrentSessionFacts() { return SystemSessionFacts(); }

bool IsWow64() { return SystemIsWow64(); }

bool ModulesNeedCompanion(HANDLE process) { return SystemModulesNeedCompanion(process); }

std::wstring CompanionPath() { return SystemCompanionPath(); }

ProductUuidSource& CurrentProductUuidSource() { return SystemProductUuidSource(); }

// The link-local instance-metadata service, plain HTTP.
const wchar_t* MetadataOrigin() { return L"http://169.254.169.254"; }

}  // namespace sharedfarlink
