#pragma once
// Our small stand-in for ATL's object root and CComObject: a thread-safe
// reference count, an interface table of exactly one interface, and the
// server lock held for the object's lifetime.
#include <windows.h>
#include <unknwn.h>

#include <atomic>
#include <new>

#include "server/ServerLock.h"

namespace server {

// Base of every COM object of the server: holds the server lock while alive.
class ServerObject {
public:
    ServerObject() { LockServer(); }
    virtual ~ServerObject() { UnlockServer(); }
    ServerObject(const ServerObject&) = delete;
    ServerObject& operator=(const ServerObject&) = delete;
};

// Completes `T` (which implements one dual interface, T::Interface) with
// IUnknown. QueryInterface answers IUnknown and that interface only: not
// IDispatch itself, which late-bound callers reach through the dual interface.
template <typename T>
class ComObject final : public T {
public:
    using T::T;

    // Creates an object with a count of zero; null when memory runs out.
    static ComObject* CreateInstance() { return new (std::nothrow) ComObject(); }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, __uuidof(typename T::Interface))) {
            *ppv = static_cast<typename T::Interface*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

private:
    std::atomic<ULONG> refs_{0};
};

}  // namespace server
