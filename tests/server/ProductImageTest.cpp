// What ships: the 32-bit FarlinkUI.exe must carry its type library, registry
// scripts, version and manifest, be a GUI program, and need no runtime DLLs
// beside it. The tests cannot run it, but they can read it as data.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "common/TestPaths.h"
#include "win/ComPtr.h"

namespace {

std::wstring ProductExe() {
    // build/x86_64/bin -> build/i686/bin
    return testing_support::ExeDir() + L"\\..\\..\\i686\\bin\\FarlinkUI.exe";
}

class ProductImageTest : public testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        path_ = GetParam() ? ProductExe() : testing_support::BesideExe(L"FarlinkUI.exe");
        if (!testing_support::FileExists(path_)) GTEST_SKIP() << "not built: scripts/build.sh i686";
        image_ = testing_support::ReadFileBytes(path_);
        module_ = ::LoadLibraryExW(path_.c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module_, nullptr);
    }
    void TearDown() override {
        if (module_) ::FreeLibrary(module_);
    }

    std::string Resource(const wchar_t* type, const wchar_t* name, WORD language) {
        HRSRC found = ::FindResourceExW(module_, type, name, language);
        if (!found) return {};
        const char* data = static_cast<const char*>(::LockResource(::LoadResource(module_, found)));
        return data ? std::string(data, ::SizeofResource(module_, found)) : std::string();
    }

    const IMAGE_NT_HEADERS32* Headers() const {
        auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image_.data());
        return reinterpret_cast<const IMAGE_NT_HEADERS32*>(image_.data() + dos->e_lfanew);
    }

    // The names of the DLLs the image imports, read from its import directory.
    std::vector<std::string> ImportedDlls() const {
        const IMAGE_NT_HEADERS32* nt = Headers();
        const bool is64 = nt->FileHeader.Machine == IMAGE_FILE_MACHINE_AMD64;
        const IMAGE_DATA_DIRECTORY& dir =
            is64 ? reinterpret_cast<const IMAGE_NT_HEADERS64*>(nt)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT]
                 : nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        auto sections = reinterpret_cast<const IMAGE_SECTION_HEADER*>(
            reinterpret_cast<const char*>(&nt->OptionalHeader) + nt->FileHeader.SizeOfOptionalHeader);
        auto toOffset = [&](DWORD rva) -> size_t {
            for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
                const IMAGE_SECTION_HEADER& sec = sections[i];
                if (rva >= sec.VirtualAddress && rva < sec.VirtualAddress + sec.SizeOfRawData)
                    return rva - sec.VirtualAddress + sec.PointerToRawData;
            }
            return 0;
        };
        std::vector<std::string> names;
        size_t at = toOffset(dir.VirtualAddress);
        for (; at && at + sizeof(IMAGE_IMPORT_DESCRIPTOR) <= image_.size(); at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
            auto desc = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(image_.data() + at);
            if (desc->Name == 0) break;
            names.push_back(image_.c_str() + toOffset(desc->Name));
        }
        return names;
    }

    std::wstring path_;
    std::string image_;
    HMODULE module_ = nullptr;
};

TEST_P(ProductImageTest, CarriesTypeLibraryScriptsVersionAndManifest) {
    const WORD english = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    EXPECT_FALSE(Resource(L"TYPELIB", MAKEINTRESOURCEW(1), english).empty());
    for (WORD id : {101, 102, 103}) {
        EXPECT_FALSE(Resource(L"REGISTRY", MAKEINTRESOURCEW(id), english).empty()) << id;
    }
    EXPECT_NE(Resource(L"REGISTRY", MAKEINTRESOURCEW(102), english).find("%MODULE%"), std::string::npos);
    EXPECT_FALSE(Resource(RT_VERSION, MAKEINTRESOURCEW(1), english).empty());
    std::string manifest = Resource(RT_MANIFEST, MAKEINTRESOURCEW(1), english);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos) << manifest;
    EXPECT_NE(manifest.find("uiAccess=\"false\""), std::string::npos) << manifest;

    win::ComPtr<ITypeLib> library;
    ASSERT_HRESULT_SUCCEEDED(::LoadTypeLibEx(path_.c_str(), REGKIND_NONE, library.Put()));
    TLIBATTR* attr = nullptr;
    ASSERT_HRESULT_SUCCEEDED(library->GetLibAttr(&attr));
    EXPECT_EQ(attr->syskind, GetParam() ? SYS_WIN32 : SYS_WIN64);
    library->ReleaseTLibAttr(attr);
}

TEST_P(ProductImageTest, GuiProgramForItsMachineWithoutRuntimeDlls) {
    const IMAGE_NT_HEADERS32* nt = Headers();
    ASSERT_EQ(nt->Signature, IMAGE_NT_SIGNATURE);
    EXPECT_EQ(nt->FileHeader.Machine, GetParam() ? IMAGE_FILE_MACHINE_I386 : IMAGE_FILE_MACHINE_AMD64);
    // The subsystem sits at the same offset in both optional header kinds.
    EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
    // A statically linked runtime imports only system DLLs, no MinGW ones.
    std::vector<std::string> dlls = ImportedDlls();
    EXPECT_FALSE(dlls.empty());
    for (const std::string& dll : dlls) {
        EXPECT_NE(_strnicmp(dll.c_str(), "lib", 3), 0) << dll;
    }
}

INSTANTIATE_TEST_SUITE_P(Builds, ProductImageTest, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "i686" : "x86_64";
                         });

}  // namespace
