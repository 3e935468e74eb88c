// ComObject.h - ComObject, ComDispatch<I> and ComCall: what every object of
// a server shares.
//
// ComObject is the identity of one COM object: its name for the journal
// ("Report#7"), its reference count, and the live object count that
// DllCanUnloadNow reports. ComDispatch<I> implements IUnknown and IDispatch of
// interface I by forwarding to the ComObject; a class that serves two
// interfaces derives from ComDispatch of each, and its one Object() override
// serves both. ComCall journals one call of one operation.
//
// A released object is not freed at once: it is kept (the most recent 2048 of
// them) until the DLL unloads, so that a further Release is journaled as
// "OVER-RELEASE <object>" and any other call as "USE-AFTER-RELEASE", instead of
// touching freed memory.
//
// A typical object:
//
//     class CReport : public ComObject, public ComDispatch<IServiceReport>
//     {
//     public:
//         CReport() : ComObject("Report") {}
//         HRESULT STDMETHODCALLTYPE Execute(long value);
//         ...
//     protected:
//         void* Find(REFIID iid);              // IUnknown, IDispatch, IServiceReport
//         ComObject& Object() { return *this; }
//     };
#ifndef COMSERVER_COMOBJECT_H
#define COMSERVER_COMOBJECT_H

#include <windows.h>
#include <ole2.h>
#include <oaidl.h>

#include <string>

class ComObject
{
public:
    // kind names the object in the journal. The object starts with one
    // reference, owned by whoever made it.
    explicit ComObject(const char* kind);
    virtual ~ComObject();

    ULONG AddRefObject();
    ULONG ReleaseObject();
    HRESULT QueryObject(REFIID iid, void** ppv);

    const std::string& Name() const { return m_name; }
    bool IsDead() const { return m_dead; }
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
    // Called by QueryInterface with the interface's journal name before Find;
    // returns true when the interface must be refused (E_NOINTERFACE) even
    // though the object serves it. By default nothing is refused.
    virtual bool Refuses(const std::string& interfaceName);
    // Journals a call of a reserved position and returns E_NOTIMPL.
    HRESULT Reserved(const char* interfaceName, int position);
    // Called once, when the last reference goes (the object is then kept
    // among the released objects, not freed): the place to give back what
    // the object holds of the server's shared state. Does nothing by default.
    virtual void LastReleased();

private:
    ComObject(const ComObject&);
    ComObject& operator=(const ComObject&);

    std::string m_name;
    long m_refs;
    bool m_dead;
};

// The name of an interface or class identifier for the journal: IUnknown,
// IDispatch, IClassFactory, the names the server lists
// (ComServerInfo::names), else the GUID in braces.
std::string InterfaceName(REFIID iid);

template <class I>
class ComDispatch : public I
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) { return Object().QueryObject(iid, ppv); }
    ULONG STDMETHODCALLTYPE AddRef() { return Object().AddRefObject(); }
    ULONG STDMETHODCALLTYPE Release() { return Object().ReleaseObject(); }

    // No type information; IDispatch's own calls are refused.
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
    virtual ~ComDispatch() {}
    // The object this interface belongs to; the most derived class returns *this.
    virtual ComObject& Object() = 0;
};

// One call of one operation: collects its arguments and outs and writes the
// journal line, "Interface.Operation(args) -> 0xHRESULT outs", when Done is
// called; a call on a released object is journaled "USE-AFTER-RELEASE <object>
// ...". Typical use:
//
//     ComCall call(this, "IServiceReport.Execute");
//     call.Arg(value);
//     if (call.Released())
//         return call.Done(E_UNEXPECTED);
//     ...
//     call.Out("counter=3");
//     return call.Done(S_OK);
//
// Arguments and outs are composed only when a journal is written.
class ComCall
{
public:
    // object may be NULL (a call that belongs to no object).
    ComCall(ComObject* object, const char* operation);
    virtual ~ComCall() {}

    void Arg(long value);
    void ArgText(const std::string& text);     // journaled quoted and shortened
    void ArgBstr(BSTR text);
    void ArgVariant(const VARIANT& value);
    void ArgName(const std::string& name);     // journaled as it is
    void Out(const std::string& text);         // appended after the HRESULT

    // True when the object was released already: the call must not run
    // (return Done(E_UNEXPECTED)).
    bool Released() const { return m_object != NULL && m_object->IsDead(); }
    // True when a journal is written (the line is worth composing).
    bool Journaling() const { return m_journal; }
    const std::string& Operation() const { return m_operation; }

    // Journals the call with hr (once) and returns hr.
    HRESULT Done(HRESULT hr);

protected:
    // Text appended to the line after the outs (for a server's own notes);
    // called only when the line is written.
    virtual std::string Notes() const { return std::string(); }

private:
    ComCall(const ComCall&);
    ComCall& operator=(const ComCall&);

    ComObject* m_object;
    std::string m_operation;
    std::string m_args;
    std::string m_outs;
    bool m_done;
    bool m_journal;     // composing the line only when a journal is written
};

// "VT_I4:1234"-style text of a VARIANT for the journal.
std::string VariantText(const VARIANT& value);

#endif // COMSERVER_COMOBJECT_H
