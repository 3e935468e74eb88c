// ComRef.h - ComRef<T>, a tiny owner of one COM interface pointer for the
// device service calling pattern.
//
// The pattern: an out-pointer starts null; whatever a call leaves in it is
// released afterwards, whether or not the call succeeded; an interface is
// released before the object it was queried from. With ComRef:
//
//     ComRef<IUnknown> object;          // declared first: released last
//     ComRef<IServiceReport> report;    // declared second: released first
//     if (SUCCEEDED(g_pDeviceService->GetReport(10, object.Out()))
//         && SUCCEEDED(report.QueryFrom(object.Get(), IID_IServiceReport)))
//         report->Execute(0);
//
// Locals are destroyed in reverse order of declaration, so declaring the object
// holder before the interface holder releases the interface first. Call
// Release() explicitly where the order must show at the call site.
#ifndef SERVICE_COMREF_H
#define SERVICE_COMREF_H

#include <windows.h>
#include <ole2.h>

template <class T>
class ComRef
{
public:
    ComRef() : m_p(NULL) {}
    ~ComRef() { Release(); }

    // Returns the address to pass as an out-pointer; releases any pointer held
    // before, so the slot is null when the call starts.
    T** Out()
    {
        Release();
        return &m_p;
    }

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != NULL; }

    // Releases the held pointer (if any) and leaves the holder null.
    void Release()
    {
        if (m_p != NULL) {
            T* p = m_p;
            m_p = NULL;
            p->Release();
        }
    }

    // Queries p for iid into this holder. Returns the query's result, or
    // E_POINTER when p is null (the holder then stays null).
    HRESULT QueryFrom(IUnknown* p, REFIID iid)
    {
        Release();
        if (p == NULL)
            return E_POINTER;
        return p->QueryInterface(iid, reinterpret_cast<void**>(&m_p));
    }

private:
    ComRef(const ComRef&);
    ComRef& operator=(const ComRef&);

    T* m_p;
};

// Releases the interface *pp holds, if any, and leaves it null (the pointer
// is cleared first, so that nothing reached from Release can use it again).
template <class T>
void ReleaseInterface(T*& p)
{
    if (p != NULL) {
        T* pOld = p;
        p = NULL;
        pOld->Release();
    }
}

// Queries pObject for iid into the pointer a page keeps (rKept), releasing
// what rKept held before. A refusal leaves rKept null: a pointer handed out
// with the refusal is released at once, never kept. Returns the query's
// result, or E_POINTER when pObject is null.
template <class T>
HRESULT QueryInterfaceInto(IUnknown* pObject, REFIID iid, T*& rKept)
{
    ReleaseInterface(rKept);
    if (pObject == NULL)
        return E_POINTER;
    const HRESULT hr = pObject->QueryInterface(iid, reinterpret_cast<void**>(&rKept));
    if (FAILED(hr))
        ReleaseInterface(rKept);
    return hr;
}

#endif // SERVICE_COMREF_H
