#pragma once
// A WMI connection through COM for one question. Keeps the thread in the
// multithreaded apartment for its lifetime.
#include <windows.h>
#include <wbemidl.h>

#include "win/Bstr.h"
#include "win/ComApartment.h"
#include "win/ComPtr.h"

namespace sharedfarlink {

class CWmiSupport {
public:
    CWmiSupport();
    virtual ~CWmiSupport();
    CWmiSupport(const CWmiSupport&) = delete;
    CWmiSupport& operator=(const CWmiSupport&) = delete;

    // Connects to a namespace such as ROOT\CIMV2; the result of the last step tried.
    HRESULT Connect(win::Bstr nameSpace);

    // Runs a WQL query and copies `property` of the first object that has it
    // into `out`. S_OK also when no object has it (`out` stays empty).
    HRESULT QueryProperty(const win::Bstr& query, const wchar_t* property, VARIANT* out);

    void Disconnect();

protected:
    // First member: the apartment outlives the interfaces below.
    win::ComApartment apartment;
    win::ComPtr<IWbemLocator> locator;
    win::ComPtr<IWbemServices> services;
};

}  // namespace sharedfarlink
