// Translation set-up in fresh processes: the probe (TranslationProbe.cpp) run
// from bin, or copied into a scratch folder with exactly the library, "Locale"
// folder and catalogues a case needs. The probe's product version is 5.12.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "common/ChildProcess.h"
#include "common/TestPaths.h"
#include "support/ProbeFolder.h"

namespace {

using translation_testing::Arg;
using translation_testing::ProbeFolder;
using translation_testing::TestCatalogue;

// Probe steps looking up (context, msgid).
std::wstring Lookup(const wchar_t* context, const wchar_t* msgid) {
    return L"t " + Arg(context) + L" " + Arg(msgid) + L" ";
}

// The RDP channel name: "tst RDP" from the test catalogue, "RDP channel" in English.
const std::wstring kRdp = Lookup(L"Remote channel", L"RDP channel");
const char kRdpTranslated[] = "[tst RDP]\n";
const char kRdpEnglish[] = "[RDP channel]\n";

TEST(TranslationProcess, LanguagesFromTheCataloguesBesideTheProgram) {
    const std::wstring steps = Lookup(L"Remote access authorization", L"Enabled") +
                               Lookup(L"Remote connection status", L"%u minutes") +
                               Lookup(L"Remote Desktop Repair",
                                      L"The remote channels have been repaired.") +
                               Lookup(L"Remote connection status: same error code as decimal "
                                      L"and hexadecimal",
                                      L"- last error %u (%x)");
    struct Case {
        const wchar_t* language;
        const char* expected;
    };
    const Case cases[] = {
        {L"deu", "[Aktiviert]\n[%u Minuten]\n[Die Remotekan\xc3\xa4le wurden repariert.]\n"
                 "[- letzter Fehler %u (%x)]\n"},
        {L"fra", "[Activ\xc3\xa9" "e]\n[%u minutes]\n[Les canaux distants ont \xc3\xa9t\xc3\xa9 "
                 "r\xc3\xa9par\xc3\xa9s.]\n[- derni\xc3\xa8re erreur %u (%x)]\n"},
        {L"xyz", "[Enabled]\n[%u minutes]\n[The remote channels have been repaired.]\n"
                 "[- last error %u (%x)]\n"},
    };
    for (const Case& c : cases) {
        std::string output;
        DWORD code = testing_support::RunAndWait(
            testing_support::Quote(testing_support::BesideExe(L"translation_probe.exe")) +
                L" init " + c.language + L" " + steps,
            30000, &output);
        EXPECT_EQ(code, 0u);
        EXPECT_EQ(output, c.expected) << "language " << static_cast<char>(c.language[0]);
    }
}

TEST(TranslationProcess, EmptyMarkerBlanksOnlyTheExactText) {
    ProbeFolder probe;
    probe.AddLibrary();
    probe.AddCatalogue(L"tst", TestCatalogue());
    struct Case {
        const wchar_t* context;
        const wchar_t* msgid;
        const char* expected;
    };
    const Case cases[] = {
        {L"Remote channel status", L"working", "[]\n"},                  // ".EMPTY."
        {L"Remote channel status", L"not working", "[.EMPTY]\n"},        // ".EMPTY"
        {L"Remote access authorization", L"Enabled", "[.empty.]\n"},     // ".empty."
        {L"Remote access authorization", L"Disabled", "[ .EMPTY.]\n"},   // " .EMPTY."
        {L"Driver load status", L"not loaded", "[not loaded]\n"},        // untranslated
    };
    std::wstring steps = L"init tst ";
    std::string expected;
    for (const Case& c : cases) {
        steps += Lookup(c.context, c.msgid);
        expected += c.expected;
    }
    EXPECT_EQ(probe.Run(steps), expected);
}

// Catalogue folders under ProgramData, created for one case and removed after.
class ProgramDataLocales {
public:
    ProgramDataLocales() {
        PWSTR folder = nullptr;
        if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &folder)))
            base_ = std::wstring(folder) + L"\\Corvane\\FarlinkUI\\";
        ::CoTaskMemFree(folder);
    }
    ~ProgramDataLocales() {
        for (const std::wstring& version : created_) testing_support::RemoveTree(base_ + version);
    }

    // <ProgramData>\Corvane\FarlinkUI\<version>\locale, with the test
    // catalogue for "tst" or empty.
    void Add(const std::wstring& version, bool withCatalogue) {
        testing_support::RemoveTree(base_ + version);
        created_.push_back(version);
        std::wstring locale = base_ + version + L"\\locale";
        translation_testing::MakeFolders(locale);
        if (withCatalogue)
            translation_testing::WriteFileBytes(locale + L"\\tst\\lc_messages\\FarlinkUI.mo",
                                                TestCatalogue());
    }

    bool Ok() const { return !base_.empty(); }

private:
    std::wstring base_;
    std::vector<std::wstring> created_;
};

TEST(TranslationProcess, LocaleBesideTheProgramThenProgramDataByProductVersion) {
    enum Beside { kNone, kEmptyFolder, kCatalogue, kFileNamedLocale };
    struct Folder {
        const wchar_t* version;
        bool withCatalogue;
    };
    struct Case {
        const char* name;
        Beside beside;
        std::vector<Folder> programData;
        bool translated;
    };
    const Case cases[] = {
        {"beside wins even without a catalogue", kEmptyFolder, {{L"5.12", true}}, false},
        {"beside with a catalogue", kCatalogue, {}, true},
        {"a file named Locale is no folder", kFileNamedLocale, {{L"5.12", true}}, true},
        {"major.minor", kNone, {{L"5.12", true}}, true},
        {"major alone when major.minor is missing", kNone, {{L"5", true}}, true},
        {"major.minor wins when it exists, catalogue or not", kNone,
         {{L"5.12", false}, {L"5", true}}, false},
        {"file version is not the one", kNone, {{L"7.3", true}, {L"7", true}}, false},
        {"nothing anywhere", kNone, {}, false},
    };
    for (const Case& c : cases) {
        ProgramDataLocales programData;
        ASSERT_TRUE(programData.Ok());
        for (const Folder& f : c.programData) programData.Add(f.version, f.withCatalogue);
        ProbeFolder probe;
        probe.AddLibrary();
        if (c.beside == kEmptyFolder) probe.AddLocaleFolder();
        if (c.beside == kCatalogue) probe.AddCatalogue(L"tst", TestCatalogue());
        if (c.beside == kFileNamedLocale)
            translation_testing::WriteFileBytes(probe.Path() + L"\\Locale", "not a folder");
        EXPECT_EQ(probe.Run(L"init tst " + kRdp), c.translated ? kRdpTranslated : kRdpEnglish)
            << c.name;
    }
}

TEST(TranslationProcess, LibraryBesideTheProgramOrInItsX86Folder) {
    struct Case {
        const char* name;
        const wchar_t* library;  // built file copied as Lingua.dll; null: none
        const wchar_t* subfolder;
        const char* expected;
    };
    const Case cases[] = {
        {"beside", L"Lingua.dll", L"", kRdpTranslated},
        {"x86 folder", L"Lingua.dll", L"x86", kRdpTranslated},
        {"missing", nullptr, L"", kRdpEnglish},
        {"elsewhere", L"Lingua.dll", L"x64", kRdpEnglish},
        {"no export", L"lingua_double_noexport.dll", L"", kRdpEnglish},
        {"export gives no object", L"lingua_double_null.dll", L"", kRdpEnglish},
    };
    for (const Case& c : cases) {
        ProbeFolder probe;
        if (c.library) probe.AddLibrary(c.library, c.subfolder);
        probe.AddCatalogue(L"tst", TestCatalogue());
        // Twice: a library that failed once keeps failing without harm.
        EXPECT_EQ(probe.Run(L"init tst " + kRdp + kRdp), std::string(c.expected) + c.expected)
            << c.name;
    }
}

TEST(TranslationProcess, DamagedCatalogueGivesEnglish) {
    const std::string valid = TestCatalogue();
    std::string hugeCount = valid;
    hugeCount[8] = hugeCount[9] = hugeCount[10] = '\xff';
    std::string wrappingOffset = valid;
    wrappingOffset.replace(16, 4, "\xf8\xff\xff\xff");
    const std::pair<const char*, std::string> cases[] = {
        {"empty file", ""},
        {"cut in the header", valid.substr(0, 20)},
        {"cut in the strings", valid.substr(0, valid.size() - 40)},
        {"huge count", hugeCount},
        {"table offset that wraps", wrappingOffset},
        {"text, not a catalogue", std::string(4096, 'x')},
    };
    for (const auto& [name, bytes] : cases) {
        ProbeFolder probe;
        probe.AddLibrary();
        probe.AddCatalogue(L"tst", bytes);
        EXPECT_EQ(probe.Run(L"init tst " + kRdp), kRdpEnglish) << name;
    }
}

// What the program asks of the library, in order, seen by a recording double.
TEST(TranslationProcess, CallsTheLibraryInItsOrderOnce) {
    ProbeFolder probe;
    probe.AddLibrary(L"lingua_double_recording.dll");
    probe.AddLocaleFolder();
    const std::string folder = [&] {
        std::wstring wide = probe.Path() + L"\\Locale";
        return std::string(wide.begin(), wide.end());  // scratch paths are ASCII
    }();
    EXPECT_EQ(probe.Run(Lookup(L"ctx", L"before") + L"init deu init fra " +
                        Lookup(L"Remote channel", L"RDP channel")),
              // Translate before set-up already reaches the library.
              "Lookup null \"ctx\" \"before\"\n[before]\n"
              "BindDomain \"FarlinkUI\" \"" + folder + "\"\n"
              "SetModule program 0 0\n"
              "SetFlag 1\n"
              "SetLanguage \"deu\"\n"
              // Nothing for the second language.
              "Lookup null \"Remote channel\" \"RDP channel\"\n[RDP channel]\n");
}

TEST(TranslationProcess, NoLocaleFolderBindsAnEmptyPath) {
    ProbeFolder probe;
    probe.AddLibrary(L"lingua_double_recording.dll");
    EXPECT_EQ(probe.Run(L"init deu"),
              "BindDomain \"FarlinkUI\" \"\"\nSetModule program 0 0\nSetFlag 1\nSetLanguage \"deu\"\n");
}

}  // namespace
