// Translation set-up in fresh processes: the probe (TranslationProbe.cpp, product
// version 5.12) copied into a scratch folder with exactly the library,
// "Locale" folder and catalogues a case needs. Then the .mo reader
// against msgfmt's own output and damage.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <cstring>
#include <tuple>
#include <vector>

#include "MoCatalog.h"
#include "common/Fuzz.h"
#include "common/Testing.h"

namespace {

using tst::BesideExe;

// Copies a built file, creating the folders on the way; null: an empty file.
void Place(const wchar_t* source, const std::wstring& target) {
    tst::CreateEmptyFile(target);
    if (source) ::CopyFileW(BesideExe(source).c_str(), target.c_str(), FALSE);
}

const wchar_t kTestCatalogue[] = L"support-testdata\\tst.mo";
const wchar_t kMo[] = L"\\tst\\lc_messages\\FarlinkUI.mo";

// A scratch installation of the probe, removed with the object.
struct ProbeFolder {
    ProbeFolder() { Place(L"translation_probe.exe", exe); }
    ~ProbeFolder() { tst::RemoveTree(dir); }
    // The probe's output, or "exit <code>" when it did not end with 0.
    std::string Run(const std::wstring& steps) const {
        std::string output;
        DWORD code = tst::RunAndWait(tst::Quote(exe) + L" " + steps, 60000, &output);
        return code == 0 ? output : "exit " + std::to_string(code);
    }

    const std::wstring dir = tst::MakeScratchDir(L"translation"), exe = dir + L"\\probe.exe",
                       locale = dir + L"\\Locale";
};

// The probe's step translating (context, msgid): "tst RDP" from the test
// catalogue, "RDP channel" in English.
const std::wstring kRdp = L"t \"Remote channel\" \"RDP channel\" ";
const char kRdpTranslated[] = "[tst RDP]\n";
const char kRdpEnglish[] = "[RDP channel]\n";

TEST(TranslationProcess, LocaleBesideTheProgramThenProgramDataByProductVersion) {
    enum Beside { kNone, kEmptyFolder, kCatalogue, kFileNamedLocale };
    // programData: each version's folder, with a catalogue or without.
    struct Case { const char* name; Beside beside; std::vector<std::pair<const wchar_t*, bool>> programData; bool translated; };
    const Case cases[] = {
        {"beside wins even without a catalogue", kEmptyFolder, {{L"5.12", true}}, false},
        {"beside with a catalogue", kCatalogue, {}, true},
        {"a file named Locale is no folder", kFileNamedLocale, {{L"5.12", true}}, true},
        {"major.minor", kNone, {{L"5.12", true}}, true},
        {"major alone when major.minor is missing", kNone, {{L"5", true}}, true},
        {"major.minor wins when it exists, catalogue or not", kNone, {{L"5.12", false}, {L"5", true}}, false},
        {"the file version is not the one", kNone, {{L"7.3", true}, {L"7", true}}, false},
    };
    PWSTR programData = nullptr;
    ASSERT_EQ(::SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &programData), S_OK);
    const std::wstring base = std::wstring(programData) + L"\\Corvane\\FarlinkUI\\";
    ::CoTaskMemFree(programData);
    for (const auto& c : cases) {
        for (const auto& [version, withCatalogue] : c.programData) {
            ::SHCreateDirectoryExW(nullptr, (base + version + L"\\locale").c_str(), nullptr);
            if (withCatalogue) Place(kTestCatalogue, base + version + L"\\locale" + kMo);
        }
        ProbeFolder probe;
        Place(L"Lingua.dll", probe.dir + L"\\Lingua.dll");
        if (c.beside == kEmptyFolder) ::CreateDirectoryW(probe.locale.c_str(), nullptr);
        if (c.beside == kCatalogue) Place(kTestCatalogue, probe.locale + kMo);
        if (c.beside == kFileNamedLocale) Place(nullptr, probe.locale);
        EXPECT_EQ(probe.Run(L"init tst " + kRdp), c.translated ? kRdpTranslated : kRdpEnglish) << c.name;
        for (const auto& [version, withCatalogue] : c.programData) tst::RemoveTree(base + version);
    }
}

TEST(TranslationProcess, LibraryBesideTheProgramOrInItsX86Folder) {
    const std::tuple<const wchar_t*, const wchar_t*, bool> cases[] = {  // built file as Lingua.dll, folder
        {L"Lingua.dll", L"", true}, {L"Lingua.dll", L"\\x86", true}, {L"Lingua.dll", L"\\x64", false},
        {nullptr, L"", false}, {L"lingua_double_noexport.dll", L"", false}, {L"lingua_double_null.dll", L"", false}};
    for (const auto& [library, subfolder, translated] : cases) {
        ProbeFolder probe;
        if (library) Place(library, probe.dir + subfolder + L"\\Lingua.dll");
        Place(kTestCatalogue, probe.locale + kMo);
        // Twice: a library that failed once keeps failing without harm.
        std::string once = translated ? kRdpTranslated : kRdpEnglish;
        EXPECT_EQ(probe.Run(L"init tst " + kRdp + kRdp), once + once) << (library ? library : L"-") << subfolder;
    }
}

// The .mo reader.
using lingua::MoCatalog;

std::string TestCatalogue() { return tst::ReadFileBytes(BesideExe(kTestCatalogue)); }

std::string Ctx(const char* context, const char* msgid) { return std::string(context) + '\x04' + msgid; }

TEST(MoCatalog, FindsMsgfmtEntriesByContextAndMsgid) {
    MoCatalog catalogue;
    ASSERT_TRUE(catalogue.Parse(TestCatalogue()));
    const std::pair<std::string, const wchar_t*> cases[] = {
        {Ctx("Remote channel", "RDP channel"), L"tst RDP"},
        {Ctx("Remote conection status", "Client machine with no remote host running"), L"tst misspelt context"},
        {Ctx("Remote connection status", "Client machine with no remote host running"), L"tst correct context"},
        {"Client machine with no remote host running", L"tst no context"},
        {Ctx("Driver load status", "loaded"), L"Gr\u00fc\u00dfe \u20ac \U0001F600"},
        {Ctx("Remote connection status", "%u days"), L"%u tst-days"},  // first plural form
        {Ctx("Driver load status", "not loaded"), nullptr},             // untranslated
        {Ctx("Remote channel", "working"), nullptr}, {Ctx("Remote channel status", "work"), nullptr},
        {"RDP channel", nullptr}, {"", nullptr}};  // the header is no translation
    for (const auto& [key, expected] : cases) {
        const wchar_t* text = catalogue.Find(key);
        EXPECT_EQ(std::wstring(text ? text : L"(none)"), expected ? expected : L"(none)") << key;
    }
}

// Damage the format forbids is refused; other damage, seeded, is refused or
// read without a read past the data: a no-access page follows it.
TEST(MoCatalog, FuzzRefusesWhatTheFormatForbidsAndNeverReadsPastTheData) {
    tst::Mutator mutator(1);
    const std::string valid = TestCatalogue();
    auto u32 = [&valid](size_t at) { uint32_t v = 0; return std::memcpy(&v, &valid[at], 4), v; };
    const uint32_t size = uint32_t(valid.size()), count = u32(8), originals = u32(12), translations = u32(16);
    ASSERT_GE(count, 3u);
    std::vector<std::string> keys;  // every original, up to its NUL
    for (uint32_t i = 0; i < count; ++i) keys.emplace_back(&valid[u32(originals + 8 * i + 4)]);
    auto parses = [&](const std::string& bytes) {
        MoCatalog catalogue;
        if (!catalogue.Parse(tst::Guarded(bytes))) return false;
        for (const std::string& key : keys) catalogue.Find(key);
        return true;
    };
    auto with = [&valid](size_t at, uint32_t value) { std::string b = valid; return std::memcpy(&b[at], &value, 4), b; };
    std::string swapped = valid, twice = valid, unterminated = valid;
    for (uint32_t table : {originals, translations}) {  // entries 1 and 2
        swapped.replace(table + 8, 16, valid.substr(table + 16, 8) + valid.substr(table + 8, 8));
        twice.replace(table + 8, 8, valid.substr(table + 16, 8));
    }
    unterminated[u32(originals + 12) + u32(originals + 8)] = 'x';
    const std::pair<const char*, std::string> refused[] = {
        {"originals out of order", swapped}, {"an original twice", twice}, {"a string without its NUL", unterminated},
        {"wrong magic", with(0, 0x950412df)}, {"the other byte order", with(0, 0xde120495)},
        {"major revision 2", with(4, 0x20000)}, {"a table past the end", with(16, size - 8 * count + 8)},
        {"a string past the end", with(translations + 8 * count - 4, size)},
        {"a length wrapping 32 bits", with(originals + 8, ~0u)}};
    EXPECT_TRUE(parses(valid));
    EXPECT_TRUE(parses(with(4, 0x10003))) << "revision 1.3";
    for (const auto& [name, bytes] : refused) EXPECT_FALSE(parses(bytes)) << name;
    // The last byte is the NUL of the last string: every shorter prefix is refused.
    for (uint32_t cut = 0; cut < size; ++cut) EXPECT_FALSE(parses(valid.substr(0, cut))) << cut;
    for (int round = 0, rounds = mutator.Rounds(20000); round < rounds; ++round) {
        std::string bytes = valid;  // half the rounds hit only the header and tables
        mutator.Mutate(bytes, round % 2 ? bytes.size() : translations + 8 * count);
        parses(bytes);
    }
}

}  // namespace
