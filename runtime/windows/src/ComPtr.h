#pragma once

// A COM interface pointer that is released when it goes out of scope.

#include <windows.h>

namespace corvane::rt {

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() {
        if (m_p) m_p->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* operator->() const { return m_p; }
    T* get() const { return m_p; }
    // For the functions that hand out an interface through a void**; the pointer must be empty.
    void** out() { return reinterpret_cast<void**>(&m_p); }
    // The same for the functions that hand it out typed.
    T** put() { return &m_p; }

private:
    T* m_p = nullptr;
};

}  // namespace corvane::rt
