#include "support/ProbeFolder.h"

#include <windows.h>
#include <shlobj.h>

#include "common/ChildProcess.h"
#include "common/TestPaths.h"
#include "win/ScopedHandle.h"

namespace translation_testing {

using testing_support::BesideExe;

ProbeFolder::ProbeFolder() : dir_(testing_support::MakeScratchDir(L"translation")) {
    ::CopyFileW(BesideExe(L"translation_probe.exe").c_str(), (dir_ + L"\\probe.exe").c_str(),
                FALSE);
}

ProbeFolder::~ProbeFolder() { testing_support::RemoveTree(dir_); }

void ProbeFolder::AddLibrary(const wchar_t* builtName, const wchar_t* subfolder) {
    std::wstring target = dir_;
    if (*subfolder) {
        target += L"\\" + std::wstring(subfolder);
        MakeFolders(target);
    }
    ::CopyFileW(BesideExe(builtName).c_str(), (target + L"\\Lingua.dll").c_str(), FALSE);
}

void ProbeFolder::AddLocaleFolder() { MakeFolders(dir_ + L"\\Locale"); }

void ProbeFolder::AddCatalogue(const wchar_t* language, const std::string& bytes) {
    WriteFileBytes(dir_ + L"\\Locale\\" + language + L"\\lc_messages\\FarlinkUI.mo", bytes);
}

std::string ProbeFolder::Run(const std::wstring& steps) const {
    std::string output;
    DWORD code = testing_support::RunAndWait(
        testing_support::Quote(dir_ + L"\\probe.exe") + L" " + steps, 30000, &output);
    return code == 0 ? output : "exit " + std::to_string(code);
}

std::string TestCatalogue() {
    return testing_support::ReadFileBytes(BesideExe(L"support-testdata\\tst.mo"));
}

void MakeFolders(const std::wstring& path) {
    ::SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
}

std::wstring Arg(const std::wstring& text) { return L"\"" + text + L"\""; }

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    MakeFolders(path.substr(0, path.find_last_of(L'\\')));
    win::ScopedHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file && !bytes.empty())
        ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace translation_testing
