// SimObject.h - SimObject, SimDispatch<I> and SimCall: what every simulator
// object shares.
//
// SimObject is the identity of one COM object: its name for the journal
// ("Report#7"), its reference count, the device it works on and the live
// object count that DllCanUnloadNow reports. SimDispatch<I> implements
// IUnknown and IDispatch of interface I by forwarding to the SimObject; a class
// that serves two interfaces derives from SimDispatch of each, and its one
// Object() override serves both. SimCall journals one call and applies the
// fault table to what the call hands out.
//
// A released object is not freed at once: it is kept (the most recent 2048 of
// them) until the DLL unloads, so that a further Release is journaled as
// "OVER-RELEASE <object>" and any other call as "USE-AFTER-RELEASE", instead of
// touching freed memory.
#ifndef SIMULATOR_SIMOBJECT_H
#define SIMULATOR_SIMOBJECT_H

#include <windows.h>
#include <ole2.h>
#include <oaidl.h>

#include <string>

#include "simulator/SimFaults.h"

class SimObject
{
public:
    // kind names the object in the journal; device is a fleet index or -1.
    // The object starts with one reference, owned by whoever made it.
    SimObject(const char* kind, int device);
    virtual ~SimObject();

    ULONG AddRefObject();
    ULONG ReleaseObject();
    HRESULT QueryObject(REFIID iid, void** ppv);

    const std::string& Name() const { return m_name; }
    bool IsDead() const { return m_dead; }
    int Device() const { return m_device; }
    // The IUnknown of this object (its identity).
    IUnknown* Unknown() { return static_cast<IUnknown*>(Find(IID_IUnknown)); }

    // Objects alive (made and not yet released to zero).
    static long LiveCount();
    // Frees the released objects kept for over-release detection (at unload).
    static void FreeReleased();

protected:
    // Returns the interface pointer for iid (IUnknown and IDispatch included),
    // or NULL when the object does not serve it.
    virtual void* Find(REFIID iid) = 0;
    // Journals a call of a reserved position and returns E_NOTIMPL.
    HRESULT Reserved(const char* interfaceName, int position);

    int m_device;

private:
    SimObject(const SimObject&);
    SimObject& operator=(const SimObject&);

    std::string m_name;
    long m_refs;
    bool m_dead;
};

// The name of an interface identifier for the journal ("IServiceReport", or
// the GUID in braces when the simulator does not know it).
std::string InterfaceName(REFIID iid);

template <class I>
class SimDispatch : public I
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) { return Object().QueryObject(iid, ppv); }
    ULONG STDMETHODCALLTYPE AddRef() { return Object().AddRefObject(); }
    ULONG STDMETHODCALLTYPE Release() { return Object().ReleaseObject(); }

    // The simulator has no type information; IDispatch's own calls are refused.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pCount)
    {
        if (pCount == NULL)
            return E_POINTER;
        *pCount = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** ppInfo)
    {
        if (ppInfo != NULL)
            *ppInfo = NULL;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
    {
        return E_NOTIMPL;
    }

protected:
    virtual ~SimDispatch() {}
    // The object this interface belongs to; the most derived class returns *this.
    virtual SimObject& Object() = 0;
};

// One call of one operation: collects its arguments and outs, consults the
// fault table once, and writes the journal line when Done (or a Hand function)
// is called. Typical use:
//
//     SimCall call(this, "IDeviceService.GetReport");
//     call.Arg(number);
//     if (call.Blocked())
//         return call.Done(call.Injected());
//     ...
//     return call.HandObject(ppReport, report);
class SimCall
{
public:
    SimCall(SimObject* object, const char* operation);

    void Arg(long value);
    void ArgText(const std::string& text);     // journaled quoted and shortened
    void ArgBstr(BSTR text);
    void ArgVariant(const VARIANT& value);
    void ArgName(const std::string& name);     // journaled as it is
    void Out(const std::string& text);         // appended after the HRESULT

    // True when the call must not run: the object was released already, or a
    // "fail" rule applies. Injected() is then the HRESULT to return.
    bool Blocked() const;
    HRESULT Injected() const;
    // The fault rule that applies to this call, or NULL.
    const SimFault* Fault() const { return m_fault; }

    // Journals the call with hr and returns hr.
    HRESULT Done(HRESULT hr);

    // Hand out a result with the fault rules applied, journal, return the HRESULT.
    // `made` carries the one reference that goes to the caller (or is dropped).
    HRESULT HandObject(IUnknown** out, SimObject* made);
    HRESULT HandItem(VARIANT* out, SimObject* made, const std::string& name, long id);
    HRESULT HandString(BSTR* out, const std::string& text);
    HRESULT HandNumber(long* out, long value, const char* label);
    HRESULT HandVariant(VARIANT* out, long value);

private:
    SimObject* m_object;
    std::string m_operation;
    std::string m_args;
    std::string m_outs;
    const SimFault* m_fault;
    bool m_done;
    bool m_journal;     // composing the line only when a journal is written
};

// "VT_I4:1234"-style text of a VARIANT for the journal.
std::string VariantText(const VARIANT& value);

#endif // SIMULATOR_SIMOBJECT_H
