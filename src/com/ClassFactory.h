#pragma once
// One static class factory per creatable class, as in the classic local-server
// samples: its own lifetime is the process's, LockServer feeds the server lock.
#include <windows.h>
#include <unknwn.h>

#include "com/ComObject.h"
#include "win/ExceptionBarrier.h"

namespace com {

template <typename T>
class ClassFactory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *ppv = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return win::ComBarrier([&]() -> HRESULT {
            ComObject<T>* object = ComObject<T>::CreateInstance();
            if (!object) return E_OUTOFMEMORY;
            // Hold a reference across the query so a refused interface destroys the object.
            object->AddRef();
            HRESULT hr = object->QueryInterface(riid, ppv);
            object->Release();
            return hr;
        });
    }

    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock) com::LockServer();
        else com::UnlockServer();
        return S_OK;
    }
};

}  // namespace com
