// Translation set-up in fresh processes: the probe (TranslationProbe.cpp, product
// version 5.12) run from bin, or copied into a scratch folder with exactly the
// library, "Locale" folder and catalogues a case needs.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "common/ChildProcess.h"
#include "common/TestPaths.h"
#include "win/ScopedHandle.h"

namespace {

using testing_support::BesideExe;

std::string TestCatalogue() {
    return testing_support::ReadFileBytes(BesideExe(L"support-testdata\\tst.mo"));
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    ::SHCreateDirectoryExW(nullptr, path.substr(0, path.find_last_of(L'\\')).c_str(), nullptr);
    win::ScopedHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// The probe's output, or "exit <code>" when it did not end with 0.
std::string RunProbe(const std::wstring& exe, const std::wstring& steps) {
    std::string output;
    DWORD code = testing_support::RunAndWait(testing_support::Quote(exe) + L" " + steps, 30000,
                                             &output);
    return code == 0 ? output : "exit " + std::to_string(code);
}

// A scratch installation of the probe, removed with the object.
class ProbeFolder {
public:
    ProbeFolder() : dir_(testing_support::MakeScratchDir(L"translation")) {
        ::CopyFileW(BesideExe(L"translation_probe.exe").c_str(), Exe().c_str(), FALSE);
    }
    ~ProbeFolder() { testing_support::RemoveTree(dir_); }

    // bin\<built> copied as <folder>\<subfolder>\Lingua.dll.
    void AddLibrary(const wchar_t* built = L"Lingua.dll", const std::wstring& subfolder = L"") {
        std::wstring target = subfolder.empty() ? dir_ : dir_ + L"\\" + subfolder;
        ::SHCreateDirectoryExW(nullptr, target.c_str(), nullptr);
        ::CopyFileW(BesideExe(built).c_str(), (target + L"\\Lingua.dll").c_str(), FALSE);
    }
    void AddLocaleFolder() { ::CreateDirectoryW(LocaleFolder().c_str(), nullptr); }
    void AddCatalogue(const std::string& bytes) {
        WriteFileBytes(LocaleFolder() + L"\\tst\\lc_messages\\FarlinkUI.mo", bytes);
    }
    std::wstring LocaleFolder() const { return dir_ + L"\\Locale"; }
    std::string Run(const std::wstring& steps) const { return RunProbe(Exe(), steps); }

private:
    std::wstring Exe() const { return dir_ + L"\\probe.exe"; }
    std::wstring dir_;
};

// <ProgramData>\Corvane\FarlinkUI\<version>\locale folders for one case.
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
    void Add(const std::wstring& version, bool withCatalogue) {
        created_.push_back(version);
        std::wstring locale = base_ + version + L"\\locale";
        ::SHCreateDirectoryExW(nullptr, locale.c_str(), nullptr);
        if (withCatalogue)
            WriteFileBytes(locale + L"\\tst\\lc_messages\\FarlinkUI.mo", TestCatalogue());
    }

private:
    std::wstring base_;
    std::vector<std::wstring> created_;
};

// Probe steps translating (context, msgid).
std::wstring Lookup(const std::wstring& context, const std::wstring& msgid) {
    return L"t \"" + context + L"\" \"" + msgid + L"\" ";
}

// "tst RDP" from the test catalogue, "RDP channel" in English.
const std::wstring kRdp = Lookup(L"Remote channel", L"RDP channel");
const char kRdpTranslated[] = "[tst RDP]\n";
const char kRdpEnglish[] = "[RDP channel]\n";

TEST(TranslationProcess, LanguagesFromTheCataloguesBesideTheProgram) {
    const std::wstring steps =
        Lookup(L"Remote access authorization", L"Enabled") +
        Lookup(L"Remote connection status: same error code as decimal and hexadecimal",
               L"- last error %u (%x)");
    const std::pair<const wchar_t*, const char*> cases[] = {
        {L"deu", "[Aktiviert]\n[- letzter Fehler %u (%x)]\n"},
        {L"fra", "[Activ\xc3\xa9" "e]\n[- derni\xc3\xa8re erreur %u (%x)]\n"},
        {L"xyz", "[Enabled]\n[- last error %u (%x)]\n"},
    };
    for (const auto& [language, expected] : cases) {
        EXPECT_EQ(RunProbe(BesideExe(L"translation_probe.exe"),
                           L"init " + std::wstring(language) + L" " + steps),
                  expected);
    }
}

TEST(TranslationProcess, EmptyMarkerBlanksOnlyTheExactText) {
    ProbeFolder probe;
    probe.AddLibrary();
    probe.AddCatalogue(TestCatalogue());
    // The catalogue's texts: ".EMPTY.", ".EMPTY", ".empty.", " .EMPTY.", none.
    EXPECT_EQ(probe.Run(L"init tst " + Lookup(L"Remote channel status", L"working") +
                        Lookup(L"Remote channel status", L"not working") +
                        Lookup(L"Remote access authorization", L"Enabled") +
                        Lookup(L"Remote access authorization", L"Disabled") +
                        Lookup(L"Driver load status", L"not loaded")),
              "[]\n[.EMPTY]\n[.empty.]\n[ .EMPTY.]\n[not loaded]\n");
}

TEST(TranslationProcess, LocaleBesideTheProgramThenProgramDataByProductVersion) {
    enum Beside { kNone, kEmptyFolder, kCatalogue, kFileNamedLocale };
    struct Case {
        const char* name;
        Beside beside;
        std::vector<std::pair<const wchar_t*, bool>> programData;  // version, with catalogue
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
        {"the file version is not the one", kNone, {{L"7.3", true}, {L"7", true}}, false},
    };
    for (const Case& c : cases) {
        ProgramDataLocales programData;
        for (const auto& [version, withCatalogue] : c.programData)
            programData.Add(version, withCatalogue);
        ProbeFolder probe;
        probe.AddLibrary();
        if (c.beside == kEmptyFolder) probe.AddLocaleFolder();
        if (c.beside == kCatalogue) probe.AddCatalogue(TestCatalogue());
        if (c.beside == kFileNamedLocale) WriteFileBytes(probe.LocaleFolder(), "a file");
        EXPECT_EQ(probe.Run(L"init tst " + kRdp), c.translated ? kRdpTranslated : kRdpEnglish)
            << c.name;
    }
}

TEST(TranslationProcess, LibraryBesideTheProgramOrInItsX86Folder) {
    struct Case {
        const char* name;
        const wchar_t* library;  // built file copied as Lingua.dll; null: none
        const wchar_t* subfolder;
        bool translated;
    };
    const Case cases[] = {
        {"beside", L"Lingua.dll", L"", true},
        {"x86 folder", L"Lingua.dll", L"x86", true},
        {"another folder", L"Lingua.dll", L"x64", false},
        {"missing", nullptr, L"", false},
        {"no export", L"lingua_double_noexport.dll", L"", false},
        {"export gives no object", L"lingua_double_null.dll", L"", false},
    };
    for (const Case& c : cases) {
        ProbeFolder probe;
        if (c.library) probe.AddLibrary(c.library, c.subfolder);
        probe.AddCatalogue(TestCatalogue());
        // Twice: a library that failed once keeps failing without harm.
        std::string once = c.translated ? kRdpTranslated : kRdpEnglish;
        EXPECT_EQ(probe.Run(L"init tst " + kRdp + kRdp), once + once) << c.name;
    }
}

// The reader's own tests cover the kinds of damage; here a damaged file is
// seen through the whole chain.
TEST(TranslationProcess, DamagedCatalogueGivesEnglish) {
    const std::string valid = TestCatalogue();
    std::string hugeCount = valid;
    hugeCount.replace(8, 4, "\xff\xff\xff\x0f");
    for (const std::string& bytes : {valid.substr(0, valid.size() - 40), hugeCount,
                                     std::string(4096, 'x')}) {
        ProbeFolder probe;
        probe.AddLibrary();
        probe.AddCatalogue(bytes);
        EXPECT_EQ(probe.Run(L"init tst " + kRdp), kRdpEnglish);
    }
}

// What the program asks of the library, in order, as a recording double sees it.
TEST(TranslationProcess, CallsTheLibraryInItsOrderOnce) {
    ProbeFolder probe;
    probe.AddLibrary(L"lingua_double_recording.dll");
    EXPECT_EQ(probe.Run(L"init deu"),  // no Locale folder anywhere: an empty path
              "BindDomain \"FarlinkUI\" \"\"\nSetModule program 0 0\nSetFlag 1\n"
              "SetLanguage \"deu\"\n");

    probe.AddLocaleFolder();
    std::wstring wide = probe.LocaleFolder();
    std::string folder(wide.begin(), wide.end());  // scratch paths are ASCII
    EXPECT_EQ(probe.Run(Lookup(L"ctx", L"before") + L"init deu init fra " + kRdp),
              // A Translate before the set-up already reaches the library.
              "Lookup null \"ctx\" \"before\"\n[before]\n"
              "BindDomain \"FarlinkUI\" \"" + folder + "\"\n"
              "SetModule program 0 0\nSetFlag 1\nSetLanguage \"deu\"\n"
              // Nothing for the second language.
              "Lookup null \"Remote channel\" \"RDP channel\"\n[RDP channel]\n");
}

}  // namespace
