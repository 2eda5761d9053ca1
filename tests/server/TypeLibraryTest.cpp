// The type library embedded in FarlinkUI.exe is the whole contract with the
// client: identities, member order, DISPIDs and flags must not drift.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "FarlinkUI.h"
#include "common/TestPaths.h"
#include "win/Bstr.h"
#include "win/ComPtr.h"

namespace {

using win::ComPtr;

class TypeLibraryTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_HRESULT_SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        std::wstring exe = testing_support::BesideExe(L"FarlinkUI.exe");
        ASSERT_HRESULT_SUCCEEDED(::LoadTypeLibEx(exe.c_str(), REGKIND_NONE, lib_.Put()));
    }
    void TearDown() override {
        lib_.Reset();
        ::CoUninitialize();
    }

    ComPtr<ITypeInfo> Info(UINT index) {
        ComPtr<ITypeInfo> info;
        EXPECT_HRESULT_SUCCEEDED(lib_->GetTypeInfo(index, info.Put()));
        return info;
    }

    ComPtr<ITypeLib> lib_;
};

std::wstring Name(ITypeInfo* info, MEMBERID id = MEMBERID_NIL) {
    win::Bstr name;
    info->GetDocumentation(id, name.Put(), nullptr, nullptr, nullptr);
    return name.ToString();
}

struct Attr {
    GUID guid;
    TYPEKIND kind;
    WORD flags;
    WORD funcs;
    WORD vars;
    WORD implTypes;
};

Attr ReadAttr(ITypeInfo* info) {
    TYPEATTR* a = nullptr;
    EXPECT_HRESULT_SUCCEEDED(info->GetTypeAttr(&a));
    Attr out{a->guid, a->typekind, a->wTypeFlags, a->cFuncs, a->cVars, a->cImplTypes};
    info->ReleaseTypeAttr(a);
    return out;
}

// The GUID of the type that `info` implements at `index` (-1: a dual
// interface's vtable half).
GUID ImplementedGuid(ITypeInfo* info, UINT index) {
    HREFTYPE ref = 0;
    ComPtr<ITypeInfo> implemented;
    if (FAILED(info->GetRefTypeOfImplType(index, &ref)) ||
        FAILED(info->GetRefTypeInfo(ref, implemented.Put())))
        return GUID_NULL;
    return ReadAttr(implemented.Get()).guid;
}

// The vtable description behind a dual interface's dispatch description.
ComPtr<ITypeInfo> VtableOf(ITypeInfo* dispatch) {
    HREFTYPE ref = 0;
    ComPtr<ITypeInfo> vtable;
    EXPECT_HRESULT_SUCCEEDED(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref));
    EXPECT_HRESULT_SUCCEEDED(dispatch->GetRefTypeInfo(ref, vtable.Put()));
    return vtable;
}

TEST_F(TypeLibraryTest, LibraryIdentity) {
    TLIBATTR* attr = nullptr;
    ASSERT_HRESULT_SUCCEEDED(lib_->GetLibAttr(&attr));
    EXPECT_TRUE(IsEqualGUID(attr->guid, LIBID_FarlinkUILib));
    EXPECT_EQ(attr->wMajorVerNum, 1);
    EXPECT_EQ(attr->wMinorVerNum, 0);
    EXPECT_EQ(attr->lcid, 0u);
    lib_->ReleaseTLibAttr(attr);

    win::Bstr name, helpFile;
    DWORD helpContext = 0;
    ASSERT_HRESULT_SUCCEEDED(lib_->GetDocumentation(-1, name.Put(), nullptr, &helpContext, helpFile.Put()));
    EXPECT_EQ(name.ToString(), L"FarlinkUILib");
    EXPECT_TRUE(helpFile.IsNull());
    EXPECT_EQ(lib_->GetTypeInfoCount(), 8u);
}

TEST_F(TypeLibraryTest, MembersInOrder) {
    // The dispatch half of a dual interface; oleautomation shows on the vtable
    // half (checked with the members).
    const WORD kDualFlags = TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE;
    struct Expected {
        const wchar_t* name;
        const GUID* guid;  // null: no GUID
        TYPEKIND kind;
        WORD flags;
        const GUID* implemented;  // a coclass's default interface; an interface's base
    } const expected[] = {
        {L"TestProgress", &CLSID_TestProgress, TKIND_COCLASS, TYPEFLAG_FCANCREATE, &IID_ITestProgress},
        {L"ITestProgress", &IID_ITestProgress, TKIND_DISPATCH, kDualFlags, &IID_IDispatch},
        {L"OverallConnectionStatus", nullptr, TKIND_ALIAS, 0, nullptr},
        {nullptr, nullptr, TKIND_ENUM, 0, nullptr},
        {L"FarlinkUI", &CLSID_FarlinkUI, TKIND_COCLASS, TYPEFLAG_FCANCREATE, &IID_IFarlinkUI},
        {L"IFarlinkUI", &IID_IFarlinkUI, TKIND_DISPATCH, kDualFlags, &IID_IDispatch},
        {L"IConnectionTester", &IID_IConnectionTester, TKIND_DISPATCH, kDualFlags, &IID_IDispatch},
        {L"IConnectionStatus", &IID_IConnectionStatus, TKIND_DISPATCH, kDualFlags, &IID_IDispatch},
    };
    ASSERT_EQ(lib_->GetTypeInfoCount(), ARRAYSIZE(expected));
    for (UINT i = 0; i < ARRAYSIZE(expected); ++i) {
        SCOPED_TRACE(testing::Message() << "member " << i);
        const Expected& want = expected[i];
        ComPtr<ITypeInfo> info = Info(i);
        Attr attr = ReadAttr(info.Get());
        EXPECT_EQ(attr.kind, want.kind);
        EXPECT_EQ(attr.flags & ~TYPEFLAG_FHIDDEN, want.flags);
        if (want.name) {
            EXPECT_EQ(Name(info.Get()), want.name);
        }
        EXPECT_TRUE(IsEqualGUID(attr.guid, want.guid ? *want.guid : GUID_NULL));
        if (want.kind == TKIND_COCLASS) {
            INT flags = 0;
            EXPECT_EQ(attr.implTypes, 1);
            EXPECT_HRESULT_SUCCEEDED(info->GetImplTypeFlags(0, &flags));
            EXPECT_TRUE(flags & IMPLTYPEFLAG_FDEFAULT);
            EXPECT_TRUE(IsEqualGUID(ImplementedGuid(info.Get(), 0), *want.implemented));
        } else if (want.kind == TKIND_DISPATCH) {
            EXPECT_TRUE(IsEqualGUID(ImplementedGuid(VtableOf(info.Get()).Get(), 0), *want.implemented));
        }
    }
}

TEST_F(TypeLibraryTest, EnumerationBehindTheTypedef) {
    ComPtr<ITypeInfo> alias = Info(2);
    TYPEATTR* a = nullptr;
    ASSERT_HRESULT_SUCCEEDED(alias->GetTypeAttr(&a));
    ASSERT_EQ(a->tdescAlias.vt, VT_USERDEFINED);
    HREFTYPE ref = a->tdescAlias.hreftype;
    alias->ReleaseTypeAttr(a);
    ComPtr<ITypeInfo> aliased;
    ASSERT_HRESULT_SUCCEEDED(alias->GetRefTypeInfo(ref, aliased.Put()));
    ComPtr<ITypeInfo> enumInfo = Info(3);
    EXPECT_EQ(Name(aliased.Get()), Name(enumInfo.Get()));

    const std::pair<const wchar_t*, LONG> constants[] = {
        {L"OCS_DontKnow", 0}, {L"OCS_NotConnected", 1}, {L"OCS_Connected", 2}};
    ASSERT_EQ(ReadAttr(enumInfo.Get()).vars, 3);
    for (UINT i = 0; i < 3; ++i) {
        VARDESC* var = nullptr;
        ASSERT_HRESULT_SUCCEEDED(enumInfo->GetVarDesc(i, &var));
        EXPECT_EQ(Name(enumInfo.Get(), var->memid), constants[i].first);
        EXPECT_EQ(var->lpvarValue->vt, VT_I4);
        EXPECT_EQ(var->lpvarValue->lVal, constants[i].second);
        enumInfo->ReleaseVarDesc(var);
    }
}

// One method of an interface: name, DISPID, parameter types and flags.
struct Param {
    VARTYPE vt;          // of the parameter; VT_PTR wraps the pointee below
    VARTYPE pointee;     // VT_EMPTY when not a pointer
    USHORT flags;        // PARAMFLAG_FIN / FOUT | FRETVAL
};
struct Method {
    const wchar_t* name;
    std::vector<Param> params;
};

void ExpectMethods(ITypeInfo* dispatch, const std::vector<Method>& methods) {
    ComPtr<ITypeInfo> vtable = VtableOf(dispatch);
    Attr attr = ReadAttr(vtable.Get());
    EXPECT_EQ(attr.kind, TKIND_INTERFACE);
    EXPECT_EQ(attr.flags & ~TYPEFLAG_FHIDDEN, TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE |
                                                  TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE);
    ASSERT_EQ(attr.funcs, methods.size());
    for (UINT i = 0; i < methods.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "method " << i);
        FUNCDESC* f = nullptr;
        ASSERT_HRESULT_SUCCEEDED(vtable->GetFuncDesc(i, &f));
        EXPECT_EQ(Name(vtable.Get(), f->memid), methods[i].name);
        EXPECT_EQ(f->memid, static_cast<MEMBERID>(i + 1));
        // Slot 7 is the first after IUnknown's three and IDispatch's four.
        EXPECT_EQ(f->oVft / static_cast<SHORT>(sizeof(void*)), static_cast<SHORT>(7 + i));
        EXPECT_EQ(f->elemdescFunc.tdesc.vt, VT_HRESULT);
        ASSERT_EQ(f->cParams, static_cast<SHORT>(methods[i].params.size()));
        for (SHORT p = 0; p < f->cParams; ++p) {
            const ELEMDESC& e = f->lprgelemdescParam[p];
            const Param& want = methods[i].params[p];
            EXPECT_EQ(e.tdesc.vt, want.vt) << "param " << p;
            if (want.vt == VT_PTR) {
                VARTYPE pointee = e.tdesc.lptdesc->vt;
                if (pointee == VT_PTR) pointee = e.tdesc.lptdesc->lptdesc->vt;  // interface**
                EXPECT_EQ(pointee, want.pointee) << "param " << p;
            }
            EXPECT_EQ(e.paramdesc.wParamFlags & (PARAMFLAG_FIN | PARAMFLAG_FOUT | PARAMFLAG_FRETVAL),
                      want.flags) << "param " << p;
        }
        vtable->ReleaseFuncDesc(f);
    }
}

constexpr USHORT kIn = PARAMFLAG_FIN;
constexpr USHORT kRetval = PARAMFLAG_FOUT | PARAMFLAG_FRETVAL;

TEST_F(TypeLibraryTest, InterfaceMembers) {
    ExpectMethods(Info(1).Get(), {
        {L"Progress", {}},
        {L"Completed", {{VT_USERDEFINED, VT_EMPTY, kIn}}},
    });
    ExpectMethods(Info(5).Get(), {
        {L"Connect", {{VT_PTR, VT_USERDEFINED, kIn}}},
        {L"GetProcessId", {{VT_PTR, VT_UI4, kRetval}}},
        {L"ShowRemoteDesktopDialog", {{VT_I8, VT_EMPTY, kIn}, {VT_BSTR, VT_EMPTY, kIn}}},
    });
    ExpectMethods(Info(6).Get(), {
        {L"GetName", {{VT_PTR, VT_BSTR, kRetval}}},
        {L"GetRemoteAccessAuthorization", {{VT_PTR, VT_BOOL, kRetval}}},
        {L"StartConnectionTest", {{VT_PTR, VT_USERDEFINED, kIn}}},
        {L"EnumStatus", {{VT_BOOL, VT_EMPTY, kIn}, {VT_PTR, VT_USERDEFINED, kRetval}}},
        {L"GetProductCode", {{VT_PTR, VT_BSTR, kRetval}}},
    });
    ExpectMethods(Info(7).Get(), {
        {L"GetName", {{VT_PTR, VT_BSTR, kRetval}}},
        {L"GetLastMessageSend", {{VT_PTR, VT_I8, kRetval}}},
        {L"GetLastMessageReceived", {{VT_PTR, VT_I8, kRetval}}},
        {L"GetLastError", {{VT_PTR, VT_I4, kRetval}}},
    });
}

}  // namespace
