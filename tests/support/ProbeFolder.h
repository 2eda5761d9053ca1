#pragma once
// A scratch installation of the translation probe: the probe exe, optionally
// a Lingua.dll (or a double under that name), a "Locale" folder and
// catalogues beside it. Removed with the object.
#include <string>

namespace translation_testing {

class ProbeFolder {
public:
    ProbeFolder();
    ~ProbeFolder();
    ProbeFolder(const ProbeFolder&) = delete;
    ProbeFolder& operator=(const ProbeFolder&) = delete;

    const std::wstring& Path() const { return dir_; }

    // Copies bin\<builtName> to <folder>\<subfolder>\Lingua.dll.
    void AddLibrary(const wchar_t* builtName = L"Lingua.dll", const wchar_t* subfolder = L"");

    // Makes <folder>\Locale, empty.
    void AddLocaleFolder();

    // Writes `bytes` as <folder>\Locale\<language>\lc_messages\FarlinkUI.mo.
    void AddCatalogue(const wchar_t* language, const std::string& bytes);

    // Runs the probe with `steps` (see TranslationProbe.cpp); its output, or
    // "exit <code>" when it did not end with 0.
    std::string Run(const std::wstring& steps) const;

private:
    std::wstring dir_;
};

// The bytes of the test catalogue built from data/tst.po.
std::string TestCatalogue();

// Makes every folder of `path`.
void MakeFolders(const std::wstring& path);

// "\"text\"": one command-line argument.
std::wstring Arg(const std::wstring& text);

// Writes a whole file, making its folders first.
void WriteFileBytes(const std::wstring& path, const std::string& bytes);

}  // namespace translation_testing
