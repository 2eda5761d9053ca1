#pragma once
// One class factory per creatable class, as in the classic local-server
// samples: its own lifetime is the host's, LockServer feeds the host's server
// lock. Objects are made from the host (`T(Host&)`).
#include <windows.h>
#include <unknwn.h>

#include "com/ComObject.h"
#include "com/ServerLock.h"
#include "win/ExceptionBarrier.h"

namespace com {

template <typename T, typename Host>
class ClassFactory final : public IClassFactory {
public:
    ClassFactory(ServerLock& lock, Host& host) : lock_(lock), host_(host) {}

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
        // Held across the making, so the server cannot decide to stop
        // between this call and the object's own lock.
        if (!lock_.TryLock()) return CO_E_SERVER_STOPPING;
        HRESULT hr = win::ComBarrier([&]() -> HRESULT {
            ComObject<T>* object = ComObject<T>::CreateInstance(host_);
            if (!object) return E_OUTOFMEMORY;
            // Hold a reference across the query so a refused interface destroys the object.
            object->AddRef();
            HRESULT result = object->QueryInterface(riid, ppv);
            object->Release();
            return result;
        });
        lock_.Unlock();
        return hr;
    }

    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock) lock_.Lock();
        else lock_.Unlock();
        return S_OK;
    }

private:
    ServerLock& lock_;
    Host& host_;
};

}  // namespace com
