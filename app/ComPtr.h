// One reference to a COM interface: released once, when the holder is reset or destroyed.
#pragma once

#include <utility>

template <typename Interface>
class ComPtr {
public:
    ComPtr() = default;
    explicit ComPtr(Interface* owned) : pointer(owned) {}
    ComPtr(ComPtr&& other) noexcept : pointer(std::exchange(other.pointer, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        if (this != &other) {
            reset();
            pointer = std::exchange(other.pointer, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { reset(); }

    void reset()
    {
        if (pointer)
            std::exchange(pointer, nullptr)->Release();
    }

    // Another holder of the same interface, with a reference of its own (COM AddRef).
    ComPtr share() const
    {
        if (pointer)
            pointer->AddRef();
        return ComPtr(pointer);
    }

    Interface* get() const { return pointer; }
    Interface* operator->() const { return pointer; }
    explicit operator bool() const { return pointer != nullptr; }

    // For the creation functions that write their result through an out-parameter.
    Interface** out()
    {
        reset();
        return &pointer;
    }

private:
    Interface* pointer = nullptr;
};
