// FakeDeviceService.cpp - the fake device service and the objects it hands out.
//
// Classes (internal): Outcome, Facet<I>, FakeObject and one FakeObject kind
// per getter (DevicesObject, DeviceObject, ReportObject, ActionObject,
// MemoryObject, DriverObject, TasksObject, ProcedureObject, CommandObject).
//
// Every handed-out object is a FakeObject: a label, one reference count and
// one small facet per interface. A facet derives from its interface, forwards
// QueryInterface, AddRef and Release to its object and tells the object which
// interface a Release came through, so the log shows whether a caller let go
// of the interface before the object. Objects are not freed while the fake
// lives, so a Release beyond zero or a call after the final Release is seen
// and reported instead of touching freed memory.
#include "fakes/FakeDeviceService.h"

#include "service/BstrText.h"

namespace fake
{

// How the script wants one call answered.
struct Outcome
{
    HRESULT hr;
    bool scripted;         // hr comes from the script
    bool write;            // the out-value may be written, the setter may store
    bool noObject;         // an object getter writes NULL
    bool objectOnFailure;  // an object getter hands out its object even when failing

    // Sets a failure the fake gives by itself (an unknown location, ...)
    // unless the script chose the result.
    void Natural(HRESULT failure)
    {
        if (!scripted)
            hr = failure;
    }
    bool GiveObject() const { return write && !noObject && (SUCCEEDED(hr) || objectOnFailure); }
    bool Store() const { return write && SUCCEEDED(hr); }
};

namespace
{

struct NamedIid
{
    const IID* iid;
    const char* name;
};

const NamedIid kInterfaces[] = {
    { &IID_IUnknown, "IUnknown" },
    { &IID_IDispatch, "IDispatch" },
    { &IID_IDeviceService, "IDeviceService" },
    { &IID_IServiceDevices, "IServiceDevices" },
    { &IID_IServiceDevice, "IServiceDevice" },
    { &IID_IServiceReport, "IServiceReport" },
    { &IID_IServiceReportOption, "IServiceReportOption" },
    { &IID_IServiceAction, "IServiceAction" },
    { &IID_IServiceMemory, "IServiceMemory" },
    { &IID_IServiceDriverSettings, "IServiceDriverSettings" },
    { &IID_IServiceTasks, "IServiceTasks" },
    { &IID_IServiceProcedure, "IServiceProcedure" },
    { &IID_IServiceProcedureOptions, "IServiceProcedureOptions" },
    { &IID_IServiceCommand, "IServiceCommand" },
};

// Our interfaces by name, other interfaces as their GUID text.
std::string IidName(REFIID iid)
{
    for (const NamedIid& known : kInterfaces) {
        if (IsEqualIID(iid, *known.iid))
            return known.name;
    }
    WCHAR text[64];
    const int length = StringFromGUID2(iid, text, 64);
    std::string result;
    for (int i = 0; i + 1 < length; ++i)
        result += static_cast<char>(text[i]);
    return result;
}

std::string Num(long value)
{
    return std::to_string(value);
}

std::string Quoted(BSTR text)
{
    if (text == NULL)
        return "null";
    return "\"" + AnsiFromBstr(text) + "\"";
}

std::string DescribeVariant(const VARIANT& value)
{
    switch (V_VT(&value)) {
    case VT_EMPTY: return "VT_EMPTY";
    case VT_NULL: return "VT_NULL";
    case VT_I4: return "VT_I4:" + Num(V_I4(&value));
    case VT_I2: return "VT_I2:" + Num(V_I2(&value));
    case VT_UI4: return "VT_UI4:" + std::to_string(V_UI4(&value));
    case VT_INT: return "VT_INT:" + Num(V_INT(&value));
    case VT_BSTR: return "VT_BSTR:" + Quoted(V_BSTR(&value));
    default: return "VT_" + Num(V_VT(&value));
    }
}

// Fills an out VARIANT with a number under the scripted type tag.
void PutNumber(VARIANT* out, VARTYPE type, long value)
{
    V_VT(out) = type;
    if (type == VT_BSTR)
        V_BSTR(out) = SysAllocString(std::to_wstring(value).c_str());
    else if (type == VT_DISPATCH || type == VT_UNKNOWN || (type & (VT_ARRAY | VT_BYREF)) != 0)
        V_BYREF(out) = NULL;
    else
        V_I4(out) = value;
}

HRESULT PutLong(const Outcome& outcome, long* out, long value)
{
    if (out == NULL)
        return E_POINTER;
    if (outcome.write)
        *out = value;
    return outcome.hr;
}

HRESULT PutText(const Outcome& outcome, BSTR* out, const std::wstring& text, bool isNull)
{
    if (out == NULL)
        return E_POINTER;
    if (outcome.write)
        *out = isNull ? NULL : SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return outcome.hr;
}

} // namespace

class FakeObject;

// ---------------------------------------------------------------------------
// Facet<I>: one interface of a fake object.
// ---------------------------------------------------------------------------
template <class I>
class Facet : public I
{
public:
    Facet(FakeObject* owner, const char* name) : m_owner(owner), m_name(name) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetTypeInfoCount(UINT*) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;

protected:
    // Logs a call of this interface; see FakeObject::Enter.
    Outcome Enter(const char* method, const std::string& args = std::string(),
                  const FakeDevice* device = NULL);
    // A position no page calls: logged as unexpected, E_NOTIMPL.
    HRESULT Reserved(const char* method);
    // The fake this object belongs to. Only valid once Enter said `write`
    // or `Store()`: an object that outlived its fake has none.
    FakeDeviceService* Svc() const;

    FakeObject* m_owner;
    const char* m_name;
};

// ---------------------------------------------------------------------------
// FakeObject: an object that the fake handed out.
// ---------------------------------------------------------------------------
class FakeObject
{
public:
    // A new object holds the one reference that its getter hands out.
    FakeObject(FakeDeviceService* service, const std::string& kind, const std::string& label)
        : m_service(service), m_kind(kind), m_label(label), m_refs(1), m_identity(this, "IUnknown")
    {
    }
    virtual ~FakeObject() {}

    IDispatch* Dispatch() { return &m_identity; }
    const std::string& Label() const { return m_label; }
    long Refs() const { return m_refs; }
    FakeDeviceService* Service() const { return m_service; }

    // The fake is going away while this object still has references: from
    // now on calls fail with E_UNEXPECTED and the last Release frees it.
    void Detach() { m_service = NULL; }

    ULONG AddRef()
    {
        if (m_refs <= 0 && m_service != NULL)
            m_service->RecordUnexpected("AddRef on " + m_label + " after its final release", false);
        ++m_refs;
        return static_cast<ULONG>(m_refs);
    }

    ULONG Release(const char* iface)
    {
        const long left = --m_refs;
        if (m_service != NULL) {
            m_service->RecordRelease(m_label + "." + iface, left);
        } else if (left == 0) {
            delete this;
            return 0;
        }
        return left > 0 ? static_cast<ULONG>(left) : 0;
    }

    HRESULT Query(REFIID riid, void** ppv)
    {
        if (ppv == NULL)
            return E_POINTER;
        *ppv = NULL;
        void* facet = NULL;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch))
            facet = static_cast<IDispatch*>(&m_identity);
        else
            facet = FindFacet(riid);
        bool answered = facet != NULL;
        if (m_service != NULL) {
            const std::string iface = IidName(riid);
            if (answered && !IsEqualIID(riid, IID_IUnknown) && m_service->IsRefused(m_kind, m_label, iface))
                answered = false;
            if (m_refs <= 0)
                m_service->RecordUnexpected("QueryInterface on " + m_label + " after its final release", false);
            m_service->RecordQuery("QueryInterface " + m_label + "." + iface + (answered ? "" : " -> E_NOINTERFACE"));
        }
        if (!answered)
            return E_NOINTERFACE;
        ++m_refs;
        *ppv = facet;
        return S_OK;
    }

    // Logs a call on interface iface and returns how to answer it; device
    // brings a device's own scripting. Detached: E_UNEXPECTED, nothing written.
    Outcome Enter(const char* iface, const char* method, const std::string& args, const FakeDevice* device)
    {
        if (m_service == NULL) {
            Outcome detached = { E_UNEXPECTED, true, false, false, false };
            return detached;
        }
        Outcome outcome = m_service->Enter(iface, method, args, device ? &device->fail : NULL,
                                           device ? &device->untouched : NULL);
        if (m_refs <= 0)
            m_service->RecordUnexpected(std::string(iface) + "." + method + " on " + m_label
                                        + " after its final release", false);
        return outcome;
    }

    HRESULT Unexpected(const char* iface, const char* method)
    {
        if (m_service == NULL)
            return E_NOTIMPL;
        return m_service->RecordUnexpected(m_label + "." + iface + "." + method, true);
    }

    // Hands a new object to the fake (for objects that hand out objects).
    IDispatch* AdoptNew(FakeObject* object)
    {
        m_service->Adopt(object);
        return object->Dispatch();
    }

protected:
    // The facet for riid (IUnknown and IDispatch are answered already), or NULL.
    virtual void* FindFacet(REFIID riid) = 0;

private:
    FakeObject(const FakeObject&);
    FakeObject& operator=(const FakeObject&);

    FakeDeviceService* m_service;
    std::string m_kind;
    std::string m_label;
    long m_refs;
    Facet<IDispatch> m_identity;
};

template <class I>
STDMETHODIMP Facet<I>::QueryInterface(REFIID riid, void** ppv)
{
    return m_owner->Query(riid, ppv);
}

template <class I>
STDMETHODIMP_(ULONG) Facet<I>::AddRef()
{
    return m_owner->AddRef();
}

template <class I>
STDMETHODIMP_(ULONG) Facet<I>::Release()
{
    return m_owner->Release(m_name);
}

template <class I>
STDMETHODIMP Facet<I>::GetTypeInfoCount(UINT*)
{
    return m_owner->Unexpected(m_name, "GetTypeInfoCount");
}

template <class I>
STDMETHODIMP Facet<I>::GetTypeInfo(UINT, LCID, ITypeInfo**)
{
    return m_owner->Unexpected(m_name, "GetTypeInfo");
}

template <class I>
STDMETHODIMP Facet<I>::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return m_owner->Unexpected(m_name, "GetIDsOfNames");
}

template <class I>
STDMETHODIMP Facet<I>::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
{
    return m_owner->Unexpected(m_name, "Invoke");
}

template <class I>
Outcome Facet<I>::Enter(const char* method, const std::string& args, const FakeDevice* device)
{
    return m_owner->Enter(m_name, method, args, device);
}

template <class I>
HRESULT Facet<I>::Reserved(const char* method)
{
    return m_owner->Unexpected(m_name, method);
}

template <class I>
FakeDeviceService* Facet<I>::Svc() const
{
    return m_owner->Service();
}

namespace
{

// ---------------------------------------------------------------------------
// The object kinds.
// ---------------------------------------------------------------------------

// "Device(<id>)": a copy of one device, taken when Item handed it out.
class DeviceObject : public FakeObject
{
public:
    DeviceObject(FakeDeviceService* service, const FakeDevice& device)
        : FakeObject(service, "Device", "Device(" + Num(device.id) + ")"), m_device(device), m_facet(this, m_device)
    {
    }

protected:
    void* FindFacet(REFIID riid) override
    {
        return IsEqualIID(riid, IID_IServiceDevice) ? static_cast<IServiceDevice*>(&m_facet) : NULL;
    }

private:
    class DeviceFacet : public Facet<IServiceDevice>
    {
    public:
        DeviceFacet(FakeObject* owner, const FakeDevice& device) : Facet(owner, "IServiceDevice"), m_device(device) {}

        STDMETHODIMP Reserved7() override { return Reserved("Reserved7"); }
        STDMETHODIMP ColumnText1(BSTR* p) override { return Text("ColumnText1", p, m_device.columnText1); }
        STDMETHODIMP ColumnText2(BSTR* p) override { return Text("ColumnText2", p, m_device.columnText2); }
        STDMETHODIMP Name(BSTR* p) override { return Text("Name", p, m_device.name); }
        STDMETHODIMP Reserved11() override { return Reserved("Reserved11"); }
        STDMETHODIMP Id(long* p) override { return Number("Id", p, m_device.id); }
        STDMETHODIMP DetailText3(BSTR* p) override { return Text("DetailText3", p, m_device.detailText3); }
        STDMETHODIMP DetailNumber(long* p) override { return Number("DetailNumber", p, m_device.detailNumber); }
        STDMETHODIMP DetailText2(BSTR* p) override { return Text("DetailText2", p, m_device.detailText2); }
        STDMETHODIMP DetailText1(BSTR* p) override { return Text("DetailText1", p, m_device.detailText1); }
        STDMETHODIMP Type(long* p) override { return Number("Type", p, m_device.type); }

    private:
        HRESULT Text(const char* method, BSTR* p, const std::wstring& text)
        {
            const bool isNull = m_device.nullTexts.count(method) != 0
                             || (m_device.nullName && std::string(method) == "Name");
            return PutText(Enter(method, std::string(), &m_device), p, text, isNull);
        }
        HRESULT Number(const char* method, long* p, long value)
        {
            return PutLong(Enter(method, std::string(), &m_device), p, value);
        }

        const FakeDevice& m_device;
    };

    FakeDevice m_device;
    DeviceFacet m_facet;
};

// "Devices": the devices collection.
class DevicesObject : public FakeObject
{
public:
    explicit DevicesObject(FakeDeviceService* service) : FakeObject(service, "Devices", "Devices"), m_facet(this) {}

protected:
    void* FindFacet(REFIID riid) override
    {
        return IsEqualIID(riid, IID_IServiceDevices) ? static_cast<IServiceDevices*>(&m_facet) : NULL;
    }

private:
    class DevicesFacet : public Facet<IServiceDevices>
    {
    public:
        explicit DevicesFacet(FakeObject* owner) : Facet(owner, "IServiceDevices") {}

        STDMETHODIMP Item(long index, VARIANT* pItem) override
        {
            Outcome outcome = Enter("Item", Num(index));
            if (pItem == NULL)
                return E_POINTER;
            if (!outcome.write)
                return outcome.hr;
            FakeDeviceService* service = Svc();
            const FakeDevice* device = Find(service->devices, index);
            if (device == NULL) {
                outcome.Natural(E_INVALIDARG);
                V_VT(pItem) = VT_EMPTY;
                return outcome.hr;
            }
            const VARTYPE type = service->itemType;
            const bool carriesObject = type == VT_DISPATCH || type == VT_UNKNOWN;
            IDispatch* object = NULL;
            if (carriesObject && outcome.GiveObject())
                object = m_owner->AdoptNew(new DeviceObject(service, *device));
            V_VT(pItem) = type;
            V_DISPATCH(pItem) = object;  // the same field as V_UNKNOWN
            return outcome.hr;
        }
        STDMETHODIMP Reserved8() override { return Reserved("Reserved8"); }
        STDMETHODIMP Count(long* pCount) override
        {
            Outcome outcome = Enter("Count");
            if (pCount == NULL)
                return E_POINTER;
            if (outcome.write)
                *pCount = static_cast<long>(Svc()->devices.size());
            return outcome.hr;
        }

    private:
        // A 1-based position when in range, otherwise a device id.
        static const FakeDevice* Find(const std::vector<FakeDevice>& devices, long index)
        {
            if (index >= 1 && static_cast<size_t>(index) <= devices.size())
                return &devices[static_cast<size_t>(index) - 1];
            for (const FakeDevice& device : devices) {
                if (device.id == index)
                    return &device;
            }
            return NULL;
        }
    };

    DevicesFacet m_facet;
};

// "Report(<number>)": IServiceReport, and IServiceReportOption for the
// numbers in reportsWithOption.
class ReportObject : public FakeObject
{
public:
    ReportObject(FakeDeviceService* service, long number)
        : FakeObject(service, "Report", "Report(" + Num(number) + ")"),
          m_hasOption(service->reportsWithOption.count(number) != 0),
          m_report(this, number),
          m_option(this, number)
    {
    }

protected:
    void* FindFacet(REFIID riid) override
    {
        if (IsEqualIID(riid, IID_IServiceReport))
            return static_cast<IServiceReport*>(&m_report);
        if (m_hasOption && IsEqualIID(riid, IID_IServiceReportOption))
            return static_cast<IServiceReportOption*>(&m_option);
        return NULL;
    }

private:
    class ReportFacet : public Facet<IServiceReport>
    {
    public:
        ReportFacet(FakeObject* owner, long number) : Facet(owner, "IServiceReport"), m_number(number) {}

        STDMETHODIMP Reserved7() override { return Reserved("Reserved7"); }
        STDMETHODIMP ExecuteAlternate(long value) override { return Enter("ExecuteAlternate", Num(value)).hr; }
        STDMETHODIMP Execute(long value) override { return Enter("Execute", Num(value)).hr; }
        STDMETHODIMP Reserved10() override { return Reserved("Reserved10"); }
        STDMETHODIMP CanExecuteAlternate(long* p) override { return Answer("CanExecuteAlternate", p, false); }
        STDMETHODIMP CanExecute(long* p) override { return Answer("CanExecute", p, true); }

    private:
        HRESULT Answer(const char* method, long* p, bool main)
        {
            Outcome outcome = Enter(method);
            if (p == NULL)
                return E_POINTER;
            if (!outcome.write)
                return outcome.hr;
            const std::map<long, ReportAnswers>& reports = Svc()->reports;
            std::map<long, ReportAnswers>::const_iterator it = reports.find(m_number);
            if (it == reports.end())
                *p = 0;
            else
                *p = main ? it->second.canExecute : it->second.canExecuteAlternate;
            return outcome.hr;
        }

        long m_number;
    };

    class OptionFacet : public Facet<IServiceReportOption>
    {
    public:
        OptionFacet(FakeObject* owner, long number) : Facet(owner, "IServiceReportOption"), m_number(number) {}

        STDMETHODIMP Reserved7() override { return Reserved("Reserved7"); }
        STDMETHODIMP SetReportOption(long enabled) override
        {
            Outcome outcome = Enter("SetReportOption", Num(enabled));
            if (outcome.Store())
                Svc()->reportOptions[m_number] = enabled;
            return outcome.hr;
        }

    private:
        long m_number;
    };

    bool m_hasOption;
    ReportFacet m_report;
    OptionFacet m_option;
};

// "Action(<kind>)".
class ActionObject : public FakeObject
{
public:
    ActionObject(FakeDeviceService* service, long kind)
        : FakeObject(service, "Action", "Action(" + Num(kind) + ")"), m_facet(this)
    {
    }

protected:
    void* FindFacet(REFIID riid) override
    {
        return IsEqualIID(riid, IID_IServiceAction) ? static_cast<IServiceAction*>(&m_facet) : NULL;
    }

private:
    class ActionFacet : public Facet<IServiceAction>
    {
    public:
        explicit ActionFacet(FakeObject* owner) : Facet(owner, "IServiceAction") {}
        STDMETHODIMP Run() override { return Enter("Run").hr; }
    };

    ActionFacet m_facet;
};

// "Settings(1)": the device memory.
class MemoryObject : public FakeObject
{
public:
    explicit MemoryObject(FakeDeviceService* service) : FakeObject(service, "Settings", "Settings(1)"), m_facet(this) {}

protected:
    void* FindFacet(REFIID riid) override
    {
        return IsEqualIID(riid, IID_IServiceMemory) ? static_cast<IServiceMemory*>(&m_facet) : NULL;
    }

private:
    class MemoryFacet : public Facet<IServiceMemory>
    {
    public:
        explicit MemoryFacet(FakeObject* owner) : Facet(owner, "IServiceMemory") {}

        STDMETHODIMP Reserved7() override { return Reserved("Reserved7"); }
        STDMETHODIMP Reserved8() override { return Reserved("Reserved8"); }
        STDMETHODIMP Reserved9() override { return Reserved("Reserved9"); }
        STDMETHODIMP ReadValue(long location, VARIANT* pValue) override
        {
            return Read("ReadValue", location, pValue, false);
        }
        STDMETHODIMP WriteValue(long location, VARIANT value) override
        {
            Outcome outcome = Enter("WriteValue", Num(location) + "," + DescribeVariant(value));
            if (!outcome.write)
                return outcome.hr;
            std::map<long, MemoryLocation>& memory = Svc()->memory;
            std::map<long, MemoryLocation>::iterator it = memory.find(location);
            if (it == memory.end())
                outcome.Natural(E_INVALIDARG);
            else if (V_VT(&value) != VT_I4)
                outcome.Natural(DISP_E_TYPEMISMATCH);
            if (outcome.Store() && it != memory.end() && V_VT(&value) == VT_I4) {
                it->second.value = V_I4(&value);
                it->second.written = true;
            }
            return outcome.hr;
        }
        STDMETHODIMP GetDefaultValue(long location, VARIANT* pValue) override
        {
            return Read("GetDefaultValue", location, pValue, true);
        }
        STDMETHODIMP Reserved13() override { return Reserved("Reserved13"); }
        STDMETHODIMP Reserved14() override { return Reserved("Reserved14"); }
        STDMETHODIMP IsValidLocation(long location, long* pValid) override
        {
            Outcome outcome = Enter("IsValidLocation", Num(location));
            if (pValid == NULL)
                return E_POINTER;
            if (!outcome.write)
                return outcome.hr;
            const std::map<long, MemoryLocation>& memory = Svc()->memory;
            std::map<long, MemoryLocation>::const_iterator it = memory.find(location);
            *pValid = it == memory.end() ? 0 : it->second.valid;
            return outcome.hr;
        }

    private:
        HRESULT Read(const char* method, long location, VARIANT* pValue, bool defaultValue)
        {
            Outcome outcome = Enter(method, Num(location));
            if (pValue == NULL)
                return E_POINTER;
            if (!outcome.write)
                return outcome.hr;
            FakeDeviceService* service = Svc();
            std::map<long, MemoryLocation>::const_iterator it = service->memory.find(location);
            if (it == service->memory.end()) {
                outcome.Natural(E_INVALIDARG);
                return outcome.hr;
            }
            long value = defaultValue ? it->second.defaultValue : it->second.value;
            if (!defaultValue && it->second.written && service->readBackAfterWrite.has_value())
                value = *service->readBackAfterWrite;
            PutNumber(pValue, service->memoryType, value);
            return outcome.hr;
        }
    };

    MemoryFacet m_facet;
};

// "Settings(2)": the driver settings.
class DriverObject : public FakeObject
{
public:
    explicit DriverObject(FakeDeviceService* service) : FakeObject(service, "Settings", "Settings(2)"), m_facet(this) {}

protected:
    void* FindFacet(REFIID riid) override
    {
        return IsEqualIID(riid, IID_IServiceDriverSettings) ? static_cast<IServiceDriverSettings*>(&m_facet) : NULL;
    }

private:
    class DriverFacet : public Facet<IServiceDriverSettings>
    {
    public:
        explicit DriverFacet(FakeObject* owner) : Facet(owner, "IServiceDriverSettings") {}

        typedef long DriverValues::*Field;

        STDMETHODIMP GetOption13(long* p) override { return Get("GetOption13", &DriverValues::option13, p, false); }
        STDMETHODIMP SetOption13(long v) override { return Set("SetOption13", &DriverValues::option13, v); }
        STDMETHODIMP GetOption4(long* p) override { return Get("GetOption4", &DriverValues::option4, p, false); }
        STDMETHODIMP SetOption4(long v) override { return Set("SetOption4", &DriverValues::option4, v); }
        STDMETHODIMP GetOption11(long* p) override { return Get("GetOption11", &DriverValues::option11, p, false); }
        STDMETHODIMP SetOption11(long v) override { return Set("SetOption11", &DriverValues::option11, v); }
        STDMETHODIMP GetOption2(long* p) override { return Get("GetOption2", &DriverValues::option2, p, false); }
        STDMETHODIMP SetOption2(long v) override { return Set("SetOption2", &DriverValues::option2, v); }
        STDMETHODIMP GetOption1(long* p) override { return Get("GetOption1", &DriverValues::option1, p, false); }
        STDMETHODIMP SetOption1(long v) override { return Set("SetOption1", &DriverValues::option1, v); }
        STDMETHODIMP GetOption3(long* p) override { return Get("GetOption3", &DriverValues::option3, p, false); }
        STDMETHODIMP SetOption3(long v) override { return Set("SetOption3", &DriverValues::option3, v); }
        STDMETHODIMP GetOption5(long* p) override { return Get("GetOption5", &DriverValues::option5, p, false); }
        STDMETHODIMP SetOption5(long v) override { return Set("SetOption5", &DriverValues::option5, v); }
        STDMETHODIMP GetOption6(long* p) override { return Get("GetOption6", &DriverValues::option6, p, false); }
        STDMETHODIMP SetOption6(long v) override { return Set("SetOption6", &DriverValues::option6, v); }
        STDMETHODIMP Reserved23() override { return Reserved("Reserved23"); }
        STDMETHODIMP Reserved24() override { return Reserved("Reserved24"); }
        STDMETHODIMP GetOption10(long* p) override { return Get("GetOption10", &DriverValues::option10, p, false); }
        STDMETHODIMP SetOption10(long v) override { return Set("SetOption10", &DriverValues::option10, v); }
        STDMETHODIMP Reserved27() override { return Reserved("Reserved27"); }
        STDMETHODIMP Reserved28() override { return Reserved("Reserved28"); }
        STDMETHODIMP GetOption12(long* p) override { return Get("GetOption12", &DriverValues::option12, p, false); }
        STDMETHODIMP SetOption12(long v) override { return Set("SetOption12", &DriverValues::option12, v); }
        STDMETHODIMP GetNumber(long* p) override { return Get("GetNumber", &DriverValues::number, p, false); }
        STDMETHODIMP SetNumber(long v) override { return Set("SetNumber", &DriverValues::number, v); }
        STDMETHODIMP GetNumberMax(long* p) override
        {
            Outcome outcome = Enter("GetNumberMax");
            if (p == NULL)
                return E_POINTER;
            if (outcome.write)
                *p = Svc()->driverNumberMax;
            return outcome.hr;
        }
        STDMETHODIMP GetChoice(long* p) override { return Get("GetChoice", &DriverValues::choice, p, false); }
        STDMETHODIMP SetChoice(short v) override { return Set("SetChoice", &DriverValues::choice, v); }
        STDMETHODIMP GetSwitch(long* p) override { return Get("GetSwitch", &DriverValues::switchValue, p, false); }
        STDMETHODIMP SetSwitch(long v) override { return Set("SetSwitch", &DriverValues::switchValue, v); }
        STDMETHODIMP GetOption9(long* p) override { return Get("GetOption9", &DriverValues::option9, p, false); }
        STDMETHODIMP SetOption9(long v) override { return Set("SetOption9", &DriverValues::option9, v); }
        STDMETHODIMP GetOption7(long* p) override { return Get("GetOption7", &DriverValues::option7, p, false); }
        STDMETHODIMP SetOption7(long v) override { return Set("SetOption7", &DriverValues::option7, v); }
        STDMETHODIMP GetOption8(long* p) override { return Get("GetOption8", &DriverValues::option8, p, false); }
        STDMETHODIMP SetOption8(long v) override { return Set("SetOption8", &DriverValues::option8, v); }
        STDMETHODIMP GetDefaultOption13(long* p) override { return Get("GetDefaultOption13", &DriverValues::option13, p, true); }
        STDMETHODIMP GetDefaultOption4(long* p) override { return Get("GetDefaultOption4", &DriverValues::option4, p, true); }
        STDMETHODIMP GetDefaultOption11(long* p) override { return Get("GetDefaultOption11", &DriverValues::option11, p, true); }
        STDMETHODIMP GetDefaultOption2(long* p) override { return Get("GetDefaultOption2", &DriverValues::option2, p, true); }
        STDMETHODIMP GetDefaultOption1(long* p) override { return Get("GetDefaultOption1", &DriverValues::option1, p, true); }
        STDMETHODIMP GetDefaultOption3(long* p) override { return Get("GetDefaultOption3", &DriverValues::option3, p, true); }
        STDMETHODIMP GetDefaultOption5(long* p) override { return Get("GetDefaultOption5", &DriverValues::option5, p, true); }
        STDMETHODIMP GetDefaultOption6(long* p) override { return Get("GetDefaultOption6", &DriverValues::option6, p, true); }
        STDMETHODIMP Reserved52() override { return Reserved("Reserved52"); }
        STDMETHODIMP GetDefaultOption10(long* p) override { return Get("GetDefaultOption10", &DriverValues::option10, p, true); }
        STDMETHODIMP Reserved54() override { return Reserved("Reserved54"); }
        STDMETHODIMP GetDefaultNumber(long* p) override { return Get("GetDefaultNumber", &DriverValues::number, p, true); }
        STDMETHODIMP GetDefaultChoice(long* p) override { return Get("GetDefaultChoice", &DriverValues::choice, p, true); }
        STDMETHODIMP GetDefaultSwitch(long* p) override { return Get("GetDefaultSwitch", &DriverValues::switchValue, p, true); }
        STDMETHODIMP GetDefaultOption9(long* p) override { return Get("GetDefaultOption9", &DriverValues::option9, p, true); }
        STDMETHODIMP GetDefaultOption7(long* p) override { return Get("GetDefaultOption7", &DriverValues::option7, p, true); }
        STDMETHODIMP GetDefaultOption8(long* p) override { return Get("GetDefaultOption8", &DriverValues::option8, p, true); }
        STDMETHODIMP Reserved61() override { return Reserved("Reserved61"); }
        STDMETHODIMP SetDevice(BSTR deviceName) override
        {
            Outcome outcome = Enter("SetDevice", Quoted(deviceName));
            if (outcome.Store()) {
                FakeDeviceService* service = Svc();
                service->nullDriverDevice = deviceName == NULL;
                service->driverDevice = deviceName == NULL ? std::wstring()
                                                           : std::wstring(deviceName, SysStringLen(deviceName));
            }
            return outcome.hr;
        }
        STDMETHODIMP GetDefaultOption12(long* p) override { return Get("GetDefaultOption12", &DriverValues::option12, p, true); }

    private:
        HRESULT Get(const char* method, Field field, long* p, bool defaults)
        {
            Outcome outcome = Enter(method);
            if (p == NULL)
                return E_POINTER;
            if (outcome.write)
                *p = (defaults ? Svc()->driverDefaults : Svc()->driver).*field;
            return outcome.hr;
        }
        HRESULT Set(const char* method, Field field, long value)
        {
            Outcome outcome = Enter(method, Num(value));
            if (outcome.Store())
                Svc()->driver.*field = value;
            return outcome.hr;
        }
    };

    DriverFacet m_facet;
};

// "Tasks".
class TasksObject : public FakeObject
{
public:
    explicit TasksObject(FakeDeviceService* service) : FakeObject(service, "Tasks", "Tasks"), m_facet(this) {}

protected:
    void* FindFacet(REFIID riid) override
    {
        return IsEqualIID(riid, IID_IServiceTasks) ? static_cast<IServiceTasks*>(&m_facet) : NULL;
    }

private:
    class TasksFacet : public Facet<IServiceTasks>
    {
    public:
        explicit TasksFacet(FakeObject* owner) : Facet(owner, "IServiceTasks") {}
        STDMETHODIMP StartSecondTask() override { return Enter("StartSecondTask").hr; }
        STDMETHODIMP Reserved8() override { return Reserved("Reserved8"); }
        STDMETHODIMP StartFirstTask() override { return Enter("StartFirstTask").hr; }
    };

    TasksFacet m_facet;
};

// "ProcedureA(<n>)", "ProcedureB(<n>)", "ProcedureC(<n>)": IServiceProcedure;
// "OptionProcedure(<n>)": IServiceProcedure and IServiceProcedureOptions.
class ProcedureObject : public FakeObject
{
public:
    ProcedureObject(FakeDeviceService* service, const char* kind, long number, bool withOptions)
        : FakeObject(service, kind, std::string(kind) + "(" + Num(number) + ")"),
          m_withOptions(withOptions),
          m_procedure(this),
          m_options(this)
    {
    }

protected:
    void* FindFacet(REFIID riid) override
    {
        if (IsEqualIID(riid, IID_IServiceProcedure))
            return static_cast<IServiceProcedure*>(&m_procedure);
        if (m_withOptions && IsEqualIID(riid, IID_IServiceProcedureOptions))
            return static_cast<IServiceProcedureOptions*>(&m_options);
        return NULL;
    }

private:
    class ProcedureFacet : public Facet<IServiceProcedure>
    {
    public:
        explicit ProcedureFacet(FakeObject* owner) : Facet(owner, "IServiceProcedure") {}
        STDMETHODIMP Start(long value, long* pResult) override
        {
            Outcome outcome = Enter("Start", Num(value));
            if (pResult == NULL)
                return E_POINTER;
            if (outcome.write)
                *pResult = Svc()->startResult;
            return outcome.hr;
        }
    };

    class OptionsFacet : public Facet<IServiceProcedureOptions>
    {
    public:
        explicit OptionsFacet(FakeObject* owner) : Facet(owner, "IServiceProcedureOptions") {}
        STDMETHODIMP SetOptions(long flags) override
        {
            Outcome outcome = Enter("SetOptions", Num(flags));
            if (outcome.Store())
                Svc()->procedureOptions = flags;
            return outcome.hr;
        }
    };

    bool m_withOptions;
    ProcedureFacet m_procedure;
    OptionsFacet m_options;
};

// "Command(<n>)".
class CommandObject : public FakeObject
{
public:
    CommandObject(FakeDeviceService* service, long number)
        : FakeObject(service, "Command", "Command(" + Num(number) + ")"), m_facet(this)
    {
    }

protected:
    void* FindFacet(REFIID riid) override
    {
        return IsEqualIID(riid, IID_IServiceCommand) ? static_cast<IServiceCommand*>(&m_facet) : NULL;
    }

private:
    class CommandFacet : public Facet<IServiceCommand>
    {
    public:
        explicit CommandFacet(FakeObject* owner) : Facet(owner, "IServiceCommand") {}
        STDMETHODIMP Perform(long value) override { return Enter("Perform", Num(value)).hr; }
    };

    CommandFacet m_facet;
};

// ---------------------------------------------------------------------------
// Known names, for ScriptProblems.
// ---------------------------------------------------------------------------

struct KnownMethods
{
    const char* iface;  // "" for IDeviceService's own operations
    const char* methods;  // separated by spaces
};

const KnownMethods kKnownMethods[] = {
    { "", "GetDevices GetCurrentDevice SetCurrentDevice GetSettings GetOptionProcedure GetReport GetAction "
          "GetDeviceTasks GetCommand GetProcedureA GetProcedureB GetProcedureC GetSettingsDeviceName "
          "GetDeviceText GetCurrentDeviceName" },
    { "IServiceDevices", "Item Count" },
    { "IServiceDevice", "ColumnText1 ColumnText2 Name Id DetailText3 DetailNumber DetailText2 DetailText1 Type" },
    { "IServiceReport", "ExecuteAlternate Execute CanExecuteAlternate CanExecute" },
    { "IServiceReportOption", "SetReportOption" },
    { "IServiceAction", "Run" },
    { "IServiceMemory", "ReadValue WriteValue GetDefaultValue IsValidLocation" },
    { "IServiceDriverSettings", "GetNumberMax SetDevice" },
    { "IServiceTasks", "StartSecondTask StartFirstTask" },
    { "IServiceProcedure", "Start" },
    { "IServiceProcedureOptions", "SetOptions" },
    { "IServiceCommand", "Perform" },
};

const char* const kDriverSettingNames[] = {
    "Option1", "Option2", "Option3", "Option4", "Option5", "Option6", "Option7", "Option8",
    "Option9", "Option10", "Option11", "Option12", "Option13", "Number", "Choice", "Switch",
};

const char* const kObjectKinds[] = {
    "Devices", "Device", "Settings", "OptionProcedure", "ProcedureA", "ProcedureB",
    "ProcedureC", "Report", "Action", "Tasks", "Command",
};

std::vector<std::string> Words(const char* text)
{
    std::vector<std::string> words;
    std::string word;
    for (const char* p = text;; ++p) {
        if (*p == ' ' || *p == '\0') {
            if (!word.empty())
                words.push_back(word);
            word.clear();
            if (*p == '\0')
                break;
        } else {
            word += *p;
        }
    }
    return words;
}

// Fills the qualified ("IServiceReport.Execute", "GetReport") and the bare
// ("Execute", "GetReport") names of every call.
void KnownCallNames(std::set<std::string>& qualified, std::set<std::string>& bare, std::set<std::string>& device)
{
    for (const KnownMethods& known : kKnownMethods) {
        std::vector<std::string> methods = Words(known.methods);
        if (std::string(known.iface) == "IServiceDriverSettings") {
            for (const char* name : kDriverSettingNames) {
                methods.push_back(std::string("Get") + name);
                methods.push_back(std::string("GetDefault") + name);
                methods.push_back(std::string("Set") + name);
            }
        }
        for (const std::string& method : methods) {
            bare.insert(method);
            qualified.insert(*known.iface ? std::string(known.iface) + "." + method : method);
            if (std::string(known.iface) == "IServiceDevice")
                device.insert(method);
        }
    }
}

// A call key is a known name, optionally followed by "(arguments)".
bool IsKnownCallKey(const std::string& key, const std::set<std::string>& qualified,
                    const std::set<std::string>& bare)
{
    std::string name = key;
    const std::string::size_type open = key.find('(');
    if (open != std::string::npos) {
        if (key[key.size() - 1] != ')')
            return false;
        name = key.substr(0, open);
    }
    if (name.find('.') != std::string::npos)
        return qualified.count(name) != 0;
    return bare.count(name) != 0;
}

bool IsKnownRefusal(const std::string& key)
{
    const std::string::size_type dot = key.rfind('.');
    const std::string iface = dot == std::string::npos ? key : key.substr(dot + 1);
    bool knownInterface = false;
    for (const NamedIid& known : kInterfaces)
        knownInterface = knownInterface || iface == known.name;
    if (!knownInterface)
        return false;
    if (dot == std::string::npos)
        return true;
    std::string kind = key.substr(0, dot);
    const std::string::size_type open = kind.find('(');
    if (open != std::string::npos) {
        if (kind[kind.size() - 1] != ')')
            return false;
        kind = kind.substr(0, open);
    }
    for (const char* known : kObjectKinds) {
        if (kind == known)
            return true;
    }
    return false;
}

} // namespace

// ---------------------------------------------------------------------------
// FakeDeviceService
// ---------------------------------------------------------------------------

FakeDeviceService::FakeDeviceService() : m_serviceRefs(1), m_lastIdentity(1000)
{
    reportsWithOption.insert(11);
}

FakeDeviceService::~FakeDeviceService()
{
    for (FakeObject* object : m_objects) {
        if (object->Refs() > 0)
            object->Detach();  // still held by someone: it frees itself on its last Release
        else
            delete object;
    }
    if (g_pDeviceService == this)
        g_pDeviceService = NULL;
}

void FakeDeviceService::Refuse(REFIID iid)
{
    refuse.insert(IidName(iid));
}

std::vector<std::string> FakeDeviceService::ScriptProblems() const
{
    std::set<std::string> qualified;
    std::set<std::string> bare;
    std::set<std::string> deviceMethods;
    KnownCallNames(qualified, bare, deviceMethods);

    std::vector<std::string> problems;
    for (const auto& entry : fail) {
        if (!IsKnownCallKey(entry.first, qualified, bare))
            problems.push_back("fail: " + entry.first);
    }
    const std::pair<const char*, const std::set<std::string>*> sets[] = {
        { "noObject", &noObject }, { "objectOnFailure", &objectOnFailure }, { "untouched", &untouched } };
    for (const auto& named : sets) {
        for (const std::string& key : *named.second) {
            if (!IsKnownCallKey(key, qualified, bare))
                problems.push_back(std::string(named.first) + ": " + key);
        }
    }
    for (const std::string& key : refuse) {
        if (!IsKnownRefusal(key))
            problems.push_back("refuse: " + key);
    }
    for (const FakeDevice& device : devices) {
        for (const auto& entry : device.fail) {
            if (deviceMethods.count(entry.first) == 0)
                problems.push_back("device " + Num(device.id) + " fail: " + entry.first);
        }
        for (const std::string& key : device.untouched) {
            if (deviceMethods.count(key) == 0)
                problems.push_back("device " + Num(device.id) + " untouched: " + key);
        }
        for (const std::string& key : device.nullTexts) {
            if (deviceMethods.count(key) == 0)
                problems.push_back("device " + Num(device.id) + " nullTexts: " + key);
        }
    }
    return problems;
}

FakeDevice& FakeDeviceService::AddDevice(const std::wstring& name, long id, long type)
{
    FakeDevice device;
    device.name = name;
    device.id = id;
    device.type = type;
    devices.push_back(device);
    return devices.back();
}

void FakeDeviceService::ClearCalls()
{
    m_calls.clear();
    m_queries.clear();
    m_releases.clear();
    m_events.clear();
}

int FakeDeviceService::CountOf(const std::string& prefix) const
{
    return static_cast<int>(CallsMatching(prefix).size());
}

std::vector<std::string> FakeDeviceService::CallsMatching(const std::string& prefix) const
{
    std::vector<std::string> matching;
    for (const std::string& call : m_calls) {
        if (call.compare(0, prefix.size(), prefix) == 0)
            matching.push_back(call);
    }
    return matching;
}

std::string FakeDeviceService::EventsText() const
{
    std::string text;
    for (const std::string& event : m_events)
        text += event + "\n";
    return text;
}

int FakeDeviceService::LiveObjects() const
{
    int live = 0;
    for (const FakeObject* object : m_objects) {
        if (object->Refs() > 0)
            ++live;
    }
    return live;
}

std::vector<std::string> FakeDeviceService::LiveObjectLabels() const
{
    std::vector<std::string> labels;
    for (const FakeObject* object : m_objects) {
        if (object->Refs() > 0)
            labels.push_back(object->Label() + " refs=" + Num(object->Refs()));
    }
    return labels;
}

Outcome FakeDeviceService::Enter(const std::string& iface, const char* method, const std::string& args,
                                 const std::map<std::string, HRESULT>* deviceFail,
                                 const std::set<std::string>* deviceUntouched)
{
    const std::string withArgs = args.empty() ? std::string(method) : std::string(method) + "(" + args + ")";
    const std::string entry = iface.empty() ? withArgs : iface + "." + withArgs;
    RecordCall(entry);

    // Narrowest first.
    std::vector<std::string> keys;
    keys.push_back(entry);
    if (!iface.empty()) {
        keys.push_back(withArgs);
        keys.push_back(iface + "." + method);
    }
    keys.push_back(method);

    Outcome outcome = { S_OK, false, true, false, false };
    for (const std::string& key : keys) {
        std::map<std::string, HRESULT>::const_iterator it = fail.find(key);
        if (it != fail.end()) {
            outcome.hr = it->second;
            outcome.scripted = true;
            break;
        }
    }
    for (const std::string& key : keys) {
        if (untouched.count(key) != 0)
            outcome.write = false;
        if (noObject.count(key) != 0)
            outcome.noObject = true;
        if (objectOnFailure.count(key) != 0)
            outcome.objectOnFailure = true;
    }
    if (deviceFail != NULL) {
        std::map<std::string, HRESULT>::const_iterator it = deviceFail->find(method);
        if (it != deviceFail->end()) {
            outcome.hr = it->second;
            outcome.scripted = true;
        }
    }
    if (deviceUntouched != NULL && deviceUntouched->count(method) != 0)
        outcome.write = false;
    return outcome;
}

void FakeDeviceService::RecordCall(const std::string& entry)
{
    m_calls.push_back(entry);
    m_events.push_back(entry);
}

void FakeDeviceService::RecordQuery(const std::string& entry)
{
    m_queries.push_back(entry);
    m_events.push_back(entry);
}

void FakeDeviceService::RecordRelease(const std::string& label, long left)
{
    const std::string entry = "Release " + label + " -> " + Num(left);
    m_releases.push_back(entry);
    m_events.push_back(entry);
    if (left < 0)
        m_overReleases.push_back(entry);
}

HRESULT FakeDeviceService::RecordUnexpected(const std::string& what, bool asCall)
{
    m_unexpected.push_back(what);
    if (asCall)
        m_calls.push_back("UNEXPECTED " + what);
    m_events.push_back("UNEXPECTED " + what);
    return E_NOTIMPL;
}

bool FakeDeviceService::IsRefused(const std::string& kind, const std::string& label,
                                  const std::string& iface) const
{
    return refuse.count(iface) != 0 || refuse.count(kind + "." + iface) != 0
        || refuse.count(label + "." + iface) != 0;
}

long FakeDeviceService::NewIdentity()
{
    do {
        ++m_lastIdentity;
    } while (m_lastIdentity == 0 || m_lastIdentity == currentIdentity);
    return m_lastIdentity;
}

IUnknown* FakeDeviceService::Adopt(FakeObject* object)
{
    m_objects.push_back(object);
    return object->Dispatch();
}

HRESULT FakeDeviceService::HandOut(const char* method, long number, bool hasNumber, IUnknown** ppObject)
{
    Outcome outcome = Enter(std::string(), method, hasNumber ? Num(number) : std::string());
    if (ppObject == NULL)
        return E_POINTER;
    if (!outcome.write)
        return outcome.hr;
    const std::string name = method;
    const bool settingsSetKnown = name != "GetSettings" || number == 1 || number == 2;
    if (!settingsSetKnown)
        outcome.Natural(E_INVALIDARG);
    *ppObject = NULL;
    if (!outcome.GiveObject() || !settingsSetKnown)
        return outcome.hr;

    FakeObject* object = NULL;
    if (name == "GetDevices")
        object = new DevicesObject(this);
    else if (name == "GetSettings" && number == 1)
        object = new MemoryObject(this);
    else if (name == "GetSettings")
        object = new DriverObject(this);
    else if (name == "GetOptionProcedure")
        object = new ProcedureObject(this, "OptionProcedure", number, true);
    else if (name == "GetProcedureA")
        object = new ProcedureObject(this, "ProcedureA", number, false);
    else if (name == "GetProcedureB")
        object = new ProcedureObject(this, "ProcedureB", number, false);
    else if (name == "GetProcedureC")
        object = new ProcedureObject(this, "ProcedureC", number, false);
    else if (name == "GetReport")
        object = new ReportObject(this, number);
    else if (name == "GetAction")
        object = new ActionObject(this, number);
    else if (name == "GetDeviceTasks")
        object = new TasksObject(this);
    else
        object = new CommandObject(this, number);
    *ppObject = Adopt(object);
    return outcome.hr;
}

// IUnknown and IDispatch ------------------------------------------------------

STDMETHODIMP FakeDeviceService::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv == NULL)
        return E_POINTER;
    *ppv = NULL;
    const bool answered = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)
                       || IsEqualIID(riid, IID_IDeviceService);
    RecordQuery("QueryInterface DeviceService." + IidName(riid) + (answered ? "" : " -> E_NOINTERFACE"));
    if (!answered)
        return E_NOINTERFACE;
    *ppv = static_cast<IDeviceService*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) FakeDeviceService::AddRef()
{
    ++m_serviceRefs;
    return static_cast<ULONG>(m_serviceRefs);
}

STDMETHODIMP_(ULONG) FakeDeviceService::Release()
{
    const long left = --m_serviceRefs;
    RecordRelease("DeviceService", left);
    return left > 0 ? static_cast<ULONG>(left) : 0;
}

STDMETHODIMP FakeDeviceService::GetTypeInfoCount(UINT*) { return RecordUnexpected("GetTypeInfoCount", true); }
STDMETHODIMP FakeDeviceService::GetTypeInfo(UINT, LCID, ITypeInfo**) { return RecordUnexpected("GetTypeInfo", true); }
STDMETHODIMP FakeDeviceService::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return RecordUnexpected("GetIDsOfNames", true);
}
STDMETHODIMP FakeDeviceService::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
{
    return RecordUnexpected("Invoke", true);
}

// IDeviceService --------------------------------------------------------------

STDMETHODIMP FakeDeviceService::Reserved7() { return RecordUnexpected("Reserved7", true); }
STDMETHODIMP FakeDeviceService::Reserved8() { return RecordUnexpected("Reserved8", true); }
STDMETHODIMP FakeDeviceService::Reserved9() { return RecordUnexpected("Reserved9", true); }
STDMETHODIMP FakeDeviceService::Reserved10() { return RecordUnexpected("Reserved10", true); }
STDMETHODIMP FakeDeviceService::Reserved12() { return RecordUnexpected("Reserved12", true); }
STDMETHODIMP FakeDeviceService::Reserved21() { return RecordUnexpected("Reserved21", true); }
STDMETHODIMP FakeDeviceService::Reserved22() { return RecordUnexpected("Reserved22", true); }
STDMETHODIMP FakeDeviceService::Reserved23() { return RecordUnexpected("Reserved23", true); }
STDMETHODIMP FakeDeviceService::Reserved24() { return RecordUnexpected("Reserved24", true); }
STDMETHODIMP FakeDeviceService::Reserved28() { return RecordUnexpected("Reserved28", true); }
STDMETHODIMP FakeDeviceService::Reserved29() { return RecordUnexpected("Reserved29", true); }
STDMETHODIMP FakeDeviceService::Reserved31() { return RecordUnexpected("Reserved31", true); }
STDMETHODIMP FakeDeviceService::Reserved32() { return RecordUnexpected("Reserved32", true); }
STDMETHODIMP FakeDeviceService::Reserved33() { return RecordUnexpected("Reserved33", true); }
STDMETHODIMP FakeDeviceService::Reserved35() { return RecordUnexpected("Reserved35", true); }

STDMETHODIMP FakeDeviceService::GetDevices(IUnknown** ppDevices)
{
    return HandOut("GetDevices", 0, false, ppDevices);
}

STDMETHODIMP FakeDeviceService::GetCurrentDevice(long* pIdentity)
{
    return PutLong(Enter(std::string(), "GetCurrentDevice", std::string()), pIdentity, currentIdentity);
}

STDMETHODIMP FakeDeviceService::SetCurrentDevice(long deviceId)
{
    Outcome outcome = Enter(std::string(), "SetCurrentDevice", Num(deviceId));
    if (outcome.Store() && deviceId != currentDeviceId) {
        currentDeviceId = deviceId;
        currentIdentity = NewIdentity();
    }
    return outcome.hr;
}

STDMETHODIMP FakeDeviceService::GetSettings(long settingsSet, IUnknown** ppSettings)
{
    return HandOut("GetSettings", settingsSet, true, ppSettings);
}

STDMETHODIMP FakeDeviceService::GetOptionProcedure(long number, IUnknown** ppProcedure)
{
    return HandOut("GetOptionProcedure", number, true, ppProcedure);
}

STDMETHODIMP FakeDeviceService::GetReport(long number, IUnknown** ppReport)
{
    return HandOut("GetReport", number, true, ppReport);
}

STDMETHODIMP FakeDeviceService::GetAction(long kind, IUnknown** ppAction)
{
    return HandOut("GetAction", kind, true, ppAction);
}

STDMETHODIMP FakeDeviceService::GetDeviceTasks(IUnknown** ppTasks)
{
    return HandOut("GetDeviceTasks", 0, false, ppTasks);
}

STDMETHODIMP FakeDeviceService::GetCommand(long number, IUnknown** ppCommand)
{
    return HandOut("GetCommand", number, true, ppCommand);
}

STDMETHODIMP FakeDeviceService::GetProcedureA(long number, IUnknown** ppProcedure)
{
    return HandOut("GetProcedureA", number, true, ppProcedure);
}

STDMETHODIMP FakeDeviceService::GetProcedureB(long number, IUnknown** ppProcedure)
{
    return HandOut("GetProcedureB", number, true, ppProcedure);
}

STDMETHODIMP FakeDeviceService::GetProcedureC(long number, IUnknown** ppProcedure)
{
    return HandOut("GetProcedureC", number, true, ppProcedure);
}

STDMETHODIMP FakeDeviceService::GetSettingsDeviceName(BSTR* pName)
{
    return PutText(Enter(std::string(), "GetSettingsDeviceName", std::string()), pName, settingsDeviceName,
                   nullSettingsDeviceName);
}

STDMETHODIMP FakeDeviceService::GetDeviceText(BSTR* pText)
{
    return PutText(Enter(std::string(), "GetDeviceText", std::string()), pText, deviceText, nullDeviceText);
}

STDMETHODIMP FakeDeviceService::GetCurrentDeviceName(BSTR* pName)
{
    return PutText(Enter(std::string(), "GetCurrentDeviceName", std::string()), pName, currentDeviceName,
                   nullCurrentDeviceName);
}

} // namespace fake
