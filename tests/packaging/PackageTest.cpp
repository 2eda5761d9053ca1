// The installer package under Wine as an administrator uses it: install,
// activate the installed server and show its dialog, upgrade, uninstall.
#include <gtest/gtest.h>
#include <windows.h>
#include <msi.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/Testing.h"

namespace {

namespace fs = std::filesystem;
using tst::BesideExe;

const wchar_t kUpgradeCode[] = L"{570F8EE5-78AA-4D5E-ABF1-89BE01ED7346}";  // FarlinkUI.wxs
const wchar_t* const kRegisteredKeys[] = {L"CLSID\\{5B0C2A71-3E94-4F1D-9A62-7C81D4E0B3A9}",
                                          L"CLSID\\{A3D6E514-0B7C-4E28-8F45-19C2B7D60E84}",
                                          L"TypeLib\\{C7E19B02-5D3A-4B86-A1F0-6E4D82C39F57}"};

DWORD Msiexec(const std::wstring& arguments) {
    return tst::RunAndWait(L"msiexec " + arguments + L" /qn", 120000);
}

// Installed products of this upgrade code, each as "{code} version".
std::vector<std::wstring> Products() {
    std::vector<std::wstring> products;
    wchar_t code[39], version[32];
    for (DWORD i = 0; ::MsiEnumRelatedProductsW(kUpgradeCode, 0, i, code) == ERROR_SUCCESS; ++i) {
        DWORD size = 32;
        ::MsiGetProductInfoW(code, INSTALLPROPERTY_VERSIONSTRING, version, &size);
        products.push_back(std::wstring(code) + L" " + version);
    }
    return products;
}

// The files under `folder`, sorted, relative to it.
std::vector<std::wstring> FilesIn(const fs::path& folder) {
    std::vector<std::wstring> files;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(folder, error))
        if (entry.is_regular_file()) files.push_back(entry.path().lexically_relative(folder).wstring());
    std::sort(files.begin(), files.end());
    return files;
}

std::wstring LocalServer() {
    return tst::GetString(HKEY_CLASSES_ROOT, std::wstring(kRegisteredKeys[0]) + L"\\LocalServer32", nullptr);
}

// German texts show that the server found Lingua.dll and its catalogues.
void ExpectDialogInGerman() {
    std::string out;
    EXPECT_EQ(tst::RunClient(L"--tester name=T connect show:deu wait-dialog:desktop"
                                        L" read:desktop click:desktop:close wait-gone:desktop release",
                                        &out), 0u) << out;
    EXPECT_NE(out.find("authorization=Aktiviert"), std::string::npos) << out;
    EXPECT_TRUE(tst::WaitForNoServer(15000));
}

TEST(PackageTest, InstallsRegistersUpgradesAndRemovesEverything) {
    tst::SavedValue cache(HKEY_CURRENT_USER, tst::kCacheKey, L"Server", L"Local");  // no cloud check
    ASSERT_TRUE(Products().empty());
    wchar_t programFiles[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"ProgramFiles", programFiles, MAX_PATH);
    const fs::path folder = fs::path(programFiles) / L"Corvane" / L"FarlinkUI";
    const std::wstring server = L"\"" + (folder / L"FarlinkUI.exe").wstring() + L"\"";
    std::vector<std::wstring> shipped = {L"FarlinkUI.exe", L"Lingua.dll",
        L"Locale\\deu\\lc_messages\\FarlinkUI.mo", L"Locale\\fra\\lc_messages\\FarlinkUI.mo",
        L"farlinkctl.exe"};
    // The 32-bit package, here on 64-bit Windows, brings the scan's 64-bit companion.
    if (sizeof(void*) == 4) shipped.insert(shipped.begin(), L"FarlinkScan64.exe");

    ASSERT_EQ(Msiexec(L"/i " + tst::Quote(BesideExe(FARLINK_PACKAGE))), 0u);
    EXPECT_EQ(FilesIn(folder), shipped);
    EXPECT_EQ(LocalServer(), server);
    ExpectDialogInGerman();

    // The older product goes before the newer one installs, so even a file
    // changed since is laid down anew, and the classes stay registered.
    const fs::path catalogue = folder / shipped[shipped.size() - 3];
    std::ofstream(catalogue, std::ios::binary | std::ios::trunc) << "changed";
    ASSERT_EQ(Msiexec(L"/i " + tst::Quote(BesideExe(L"farlink_upgrade_package.msi"))), 0u);
    std::vector<std::wstring> products = Products();
    ASSERT_EQ(products.size(), 1u);
    EXPECT_EQ(products[0].substr(39), FARLINK_UPGRADE_VERSION);
    EXPECT_EQ(tst::ReadFileBytes(catalogue.wstring()),
              tst::ReadFileBytes(BesideExe(L"Locale\\deu\\lc_messages\\FarlinkUI.mo")));
    EXPECT_EQ(LocalServer(), server);
    ExpectDialogInGerman();

    ASSERT_EQ(Msiexec(L"/x " + products[0].substr(0, 38)), 0u);
    EXPECT_TRUE(Products().empty());
    for (const wchar_t* key : kRegisteredKeys) EXPECT_FALSE(tst::KeyExists(HKEY_CLASSES_ROOT, key)) << key;
    // Wine keeps the emptied vendor folder that Windows removes.
    EXPECT_FALSE(fs::exists(folder));
}

}  // namespace
