#include "shared/ChannelPackage.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <msi.h>

#include <cstdio>

#include "common/ChildProcess.h"
#include "common/TestPaths.h"

namespace detection_tests {

const wchar_t ChannelPackage::kProductCode[] = L"{63158CD2-BCD6-4F8E-8221-9E35F6B21EB5}";

namespace {

// The component of "Core" whose key file is package.txt.
const wchar_t kCoreComponent[] = L"{3B96C106-A982-4A82-94C0-3965650429A3}";

std::wstring folder;

bool Installed() {
    return ::MsiQueryProductStateW(ChannelPackage::kProductCode) == INSTALLSTATE_DEFAULT;
}

std::wstring InstalledFolder() {
    wchar_t path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (::MsiGetComponentPathW(ChannelPackage::kProductCode, kCoreComponent, path, &size) !=
        INSTALLSTATE_LOCAL)
        return std::wstring();
    std::wstring file(path);
    return file.substr(0, file.find_last_of(L'\\') + 1);
}

// Runs msiexec quietly and prints how long it took.
void Msiexec(const std::wstring& arguments) {
    DWORD start = ::GetTickCount();
    DWORD code = testing_support::RunAndWait(L"msiexec " + arguments + L" /qn", 120000);
    std::printf("[ package  ] msiexec %ls took %lu ms, exit code %lu\n",
                arguments.substr(0, 2).c_str(), ::GetTickCount() - start, code);
}

class PackageEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        // As the server does at start-up: the installer shows nothing.
        ::MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
        if (!Installed()) {
            Msiexec(L"/i " + testing_support::Quote(
                                testing_support::BesideExe(L"farlink_channel_package.msi")));
            installedHere_ = Installed();
        }
        folder = Installed() ? InstalledFolder() : std::wstring();
    }

    void TearDown() override {
        if (installedHere_) Msiexec(L"/x " + std::wstring(ChannelPackage::kProductCode));
    }

private:
    bool installedHere_ = false;
};

::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new PackageEnvironment);

}  // namespace

bool ChannelPackage::Ready() { return !folder.empty() && Installed(); }

const std::wstring& ChannelPackage::Folder() { return folder; }

bool ChannelPackage::FeatureFilesPresent() {
    return testing_support::FileExists(CitrixPlugin()) &&
           testing_support::FileExists(PcoipPlugin());
}

}  // namespace detection_tests
