#pragma once
// The channel test package (tests/doubles/msi): a real MSI whose feature
// "RASClient" installs the Citrix plug-in double into the package folder and
// the PCoIP one into its "vchan_plugins" folder, beside a second feature
// "Core". A test program that links ChannelPackage.cpp installs it into the
// prefix before its first test and removes it after its last, unless it was
// there already.
//
// The installer runs inside the test process and finds the product under the
// real HKLM: call nothing here, and repair nothing, while a RegistryOverride
// is in place.
#include <string>

namespace detection_tests {

class ChannelPackage {
public:
    // Fixed in the package source.
    static const wchar_t kProductCode[];

    // Installed, with its folder known.
    static bool Ready();
    // With the trailing separator, as a Citrix client records its folder.
    static const std::wstring& Folder();
    static std::wstring CitrixPlugin() { return Folder() + L"vcbica.dll"; }
    static std::wstring PcoipPlugin() { return Folder() + L"vchan_plugins\\vcbpco.dll"; }
    static std::wstring CoreFile() { return Folder() + L"package.txt"; }
    // Both "RASClient" files present.
    static bool FeatureFilesPresent();
};

}  // namespace detection_tests
