#pragma once
// What the session and cloud probe tests share: a fake for the facts a test
// machine cannot present, a fake product UUID, vendor-library doubles put
// where the probe looks for them, and small registry writers.
#include <windows.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "shared/Farlink/CloudProbeOverrides.h"
#include "shared/Farlink/SessionFacts.h"

namespace session_testing {

// One answer of a terminal-services query.
struct TerminalAnswer {
    BOOL result = FALSE;
    int bytes = -1;  // -1: no buffer
    std::uint32_t value = 0;
};
inline TerminalAnswer Buffer(int bytes, std::uint32_t value, BOOL result = TRUE) {
    return {result, bytes, value};
}
inline TerminalAnswer NoBuffer(BOOL result = FALSE) { return {result, -1, 0}; }

class FakeSessionFacts : public sharedfarlink::SessionFacts {
public:
    int metric = 0;
    std::map<int, TerminalAnswer> answers;  // by information class; missing: fails
    BOOL sessionIdResult = TRUE;
    DWORD sessionId = 1;

    std::vector<int> queried;  // information classes, in call order
    int outstanding() const { return static_cast<int>(live_.size()); }
    int foreignFrees = 0;  // frees of pointers this fake never handed out

    int RemoteSessionMetric() override { return metric; }
    BOOL QueryTerminalSession(WTS_INFO_CLASS infoClass, LPWSTR* buffer,
                              DWORD* byteCount) override;
    void FreeTerminalMemory(void* memory) override;
    BOOL SessionIdOfProcess(DWORD processId, DWORD* id) override;

private:
    std::set<void*> live_;
};

// A product UUID source that answers a fixed text (or a failure) and counts reads.
class FakeUuid : public sharedfarlink::ProductUuidSource {
public:
    explicit FakeUuid(const wchar_t* text, HRESULT hr = S_OK) : text_(text), hr_(hr) {}
    HRESULT ReadProductUuid(VARIANT* uuid) override;
    int reads = 0;

private:
    const wchar_t* text_;  // null: no text value (VT_EMPTY)
    HRESULT hr_;
};

// Copies built doubles under their vendor names into a scratch folder and
// makes it the current directory, where both SearchPathW and LoadLibraryW look;
// restores the directory and deletes the folder at the end. Also clears the
// doubles' answer and log variables.
class VendorLibraryFolder {
public:
    VendorLibraryFolder();
    ~VendorLibraryFolder();
    VendorLibraryFolder(const VendorLibraryFolder&) = delete;
    VendorLibraryFolder& operator=(const VendorLibraryFolder&) = delete;

    // `builtName` (beside the test) appears as `vendorName`; false when the copy failed.
    // kNotALibrary puts a text file there.
    bool Install(const wchar_t* builtName, const wchar_t* vendorName);
    const std::wstring& Path() const { return folder_; }

private:
    std::wstring folder_;
    std::wstring previousDirectory_;
};

// The built doubles and the names the probe looks for.
extern const wchar_t kWfapi[];          // wfapi.dll
extern const wchar_t kVdpBridge[];      // vdp_rdpvcbridge.dll
extern const wchar_t kWfapiDouble[];           // both functions
extern const wchar_t kWfapiNoExportsDouble[];  // neither
extern const wchar_t kWfapiNoFreeDouble[];     // no WFFreeMemory
extern const wchar_t kVdpDouble[];             // both functions
extern const wchar_t kVdpNoFreeDouble[];       // no VDP_FreeMemory
extern const wchar_t kNotALibrary[];           // Install writes a text file instead

void SetVariable(const wchar_t* name, const wchar_t* value);  // null value: unset
std::wstring GetVariable(const wchar_t* name);

// Registry writers for the overridden hives.
bool CreateKey(HKEY root, const wchar_t* path);
bool WriteValue(HKEY root, const wchar_t* path, const wchar_t* name, DWORD type,
                const void* data, DWORD bytes);
bool WriteString(HKEY root, const wchar_t* path, const wchar_t* name, const wchar_t* text);
bool WriteDword(HKEY root, const wchar_t* path, const wchar_t* name, DWORD value);

// The raw bytes and type of a value; false when it is missing.
bool ReadValue(HKEY root, const wchar_t* path, const wchar_t* name, DWORD* type,
               std::vector<BYTE>* data);

extern const wchar_t kCacheKey[];           // Software\Corvane\Farlink
extern const wchar_t kTerminalServerKey[];  // SYSTEM\...\Terminal Server

}  // namespace session_testing
