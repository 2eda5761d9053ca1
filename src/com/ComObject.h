#pragma once
// Our small stand-in for ATL's CComObject: completes a class that implements
// one interface (T::Interface) with IUnknown. A thread-safe reference count;
// QueryInterface answers IUnknown and that interface only.
#include <windows.h>
#include <unknwn.h>

#include <atomic>
#include <new>

#include "com/ServerLock.h"

namespace com {

template <typename T>
class ComObject final : public T {
public:
    using T::T;

    // A new object with a count of zero; null when memory runs out.
    template <typename... Args>
    static ComObject* CreateInstance(Args&&... args) {
        return new (std::nothrow) ComObject(static_cast<Args&&>(args)...);
    }

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

// A base for objects of the server: each holds the server lock while it is
// alive, so the process ends when the last of them goes.
class ServerObject {
public:
    explicit ServerObject(ServerLock& lock) : lock_(lock) { lock_.Lock(); }
    virtual ~ServerObject() { lock_.Unlock(); }
    ServerObject(const ServerObject&) = delete;
    ServerObject& operator=(const ServerObject&) = delete;

protected:
    ServerLock& ServerLockOf() { return lock_; }

private:
    ServerLock& lock_;
};

// The IDispatch half of a dual interface for objects that are only ever
// called early-bound (a client's callbacks, a benchmark's stand-in).
template <typename Itf>
class NoDispatch : public Itf {
public:
    using Interface = Itf;

    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        return E_NOTIMPL;
    }

protected:
    virtual ~NoDispatch() = default;
};

}  // namespace com
