// The IUnknown part shared by every fake COM object: a label, a reference count, logging.
//
// A fake starts with one reference, as a freshly created COM object does. AddRef and Release
// log AddRef(label) and Release(label) and count, but Release never deletes: whoever made the
// fake (the test, or the FakePlatform that handed it out) owns it. releaseCount tells how often
// Release was called; refCount of 0 means every reference was given back.
#pragma once

#include <string>
#include <utility>

#include <windows.h>

#include "tests/fakes/CallLog.h"

template <typename Interface>
class FakeComObject : public Interface {
public:
    // A fake that comes in numbers logs its label as its calls' first argument; a singular one
    // (Direct3D, the device, DirectInput) doesn't.
    FakeComObject(std::string label, bool singular) : label(std::move(label)), singular(singular)
    {
        callLog().setLabel(this, this->label);
    }
    ~FakeComObject() { callLog().removeLabel(this); }
    FakeComObject(const FakeComObject&) = delete;
    FakeComObject& operator=(const FakeComObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        unexpected(__func__);
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override
    {
        logCall("AddRef", label);
        return static_cast<ULONG>(++refCount);
    }
    STDMETHODIMP_(ULONG) Release() override
    {
        logCall("Release", label);
        ++releaseCount;
        return static_cast<ULONG>(--refCount);
    }

    // For a fake that hands itself out again, as GetVertexBuffer does: counts, doesn't log.
    void addReference() { ++refCount; }

    const std::string label;
    long refCount = 1;
    int releaseCount = 0;

protected:
    template <typename... Args>
    void record(std::string_view method, const Args&... args) const
    {
        if (singular)
            logCall(method, args...);
        else
            logCall(method, label, args...);
    }

    HRESULT unexpected(std::string_view method) const
    {
        record(method, "unexpected");
        return E_NOTIMPL;
    }

private:
    const bool singular;
};
