// farlinkctl: what the Remote Desktop dialog would show, and its Repair, for
// administrators' scripts (README, "For administrators"). Only check and
// repair touch the product; nothing here starts the server.
#include <windows.h>

#include <cwchar>
#include <cwctype>
#include <string>

#include "CheckCommand.h"
#include "Console.h"
#include "version.h"
#include "win/LibrarySearch.h"

using namespace farlinkctl;

namespace {

const wchar_t kUsage[] =
    L"usage: farlinkctl check  [--json] [--language LANG] [--product-code {GUID}]\n"
    L"       farlinkctl repair [--json] [--language LANG] [--product-code {GUID}]\n"
    L"       farlinkctl --help | --version\n"
    L"exit codes: 0 every channel works, 1 a channel needs repair, 2 usage error,\n"
    L"could not run or the repair failed, 3 the product is not installed here";

// The installer's form: {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.
bool IsBracedGuid(const std::wstring& text) {
    if (text.size() != 38 || text.front() != L'{' || text.back() != L'}') return false;
    for (size_t i = 1; i < 37; ++i) {
        bool dash = i == 9 || i == 14 || i == 19 || i == 24;
        if (dash ? text[i] != L'-' : !std::iswxdigit(text[i])) return false;
    }
    return true;
}

// An option's value: present and not itself an option, so that
// "--language --json" is an error rather than a language named "--json".
const wchar_t* ValueAfter(int& i, int argc, wchar_t** argv) {
    if (i + 1 >= argc || std::wcsncmp(argv[i + 1], L"--", 2) == 0) return nullptr;
    return argv[++i];
}

// Empty on success, else what was wrong.
std::wstring ParseOptions(int argc, wchar_t** argv, CheckOptions* options) {
    options->repair = std::wcscmp(argv[1], L"repair") == 0;
    for (int i = 2; i < argc; ++i) {
        const std::wstring arg = argv[i];
        const wchar_t* value = nullptr;
        if (arg == L"--json") {
            options->json = true;
        } else if (arg == L"--language") {
            if (!(value = ValueAfter(i, argc, argv))) return L"--language needs a value";
            options->language = value;
        } else if (arg == L"--product-code") {
            if (!(value = ValueAfter(i, argc, argv))) return L"--product-code needs a value";
            if (!IsBracedGuid(value)) return L"--product-code must be a braced GUID, {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
            options->productCode = value;
        } else {
            return L"unknown option: " + arg;
        }
    }
    return std::wstring();
}

int UsageError(const std::wstring& error) {
    PrintErr(L"farlinkctl: " + error);
    PrintErr(kUsage);
    return kCouldNotRun;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // check and repair run from administrators' scripts in any folder.
    win::HardenLibrarySearch();
    if (argc < 2) return UsageError(L"no command given");
    const std::wstring command = argv[1];
    if (command == L"--help" || command == L"-h" || command == L"/?") {
        PrintOut(kUsage);
        return 0;
    }
    if (command == L"--version") {
        PrintOut(L"farlinkctl " FARLINK_VERSION_STRING);
        return 0;
    }
    if (command != L"check" && command != L"repair") return UsageError(L"unknown command: " + command);
    CheckOptions options;
    std::wstring error = ParseOptions(argc, argv, &options);
    if (!error.empty()) return UsageError(error);
    return RunCheck(options);
}
