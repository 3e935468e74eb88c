// SimObject.cpp - SimObject (identity, references, released objects) and
// SimCall (journal line and fault rules of one call).
#include "simulator/SimObject.h"

#include "service/ServiceIds.h"
#include "simulator/SimJournal.h"
#include "simulator/SimModel.h"
#include "simulator/SimResults.h"

namespace {

long s_live = 0;
long s_serial = 0;

// Released objects kept for over-release detection: a ring of the most recent.
const unsigned kKeptReleased = 2048;
SimObject* s_released[kKeptReleased];
unsigned s_nextReleased = 0;

void KeepReleased(SimObject* object)
{
    SimObject*& slot = s_released[s_nextReleased];
    delete slot;
    slot = object;
    s_nextReleased = (s_nextReleased + 1) % kKeptReleased;
}

struct NamedIid
{
    const IID* iid;
    const char* name;
};

const NamedIid kNamedIids[] = {
    { &IID_IUnknown, "IUnknown" },
    { &IID_IDispatch, "IDispatch" },
    { &IID_IClassFactory, "IClassFactory" },
    { &CLSID_DeviceService, "CLSID_DeviceService" },
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

struct NamedType
{
    VARTYPE type;
    const char* name;
};

const NamedType kNamedTypes[] = {
    { VT_EMPTY, "VT_EMPTY" }, { VT_NULL, "VT_NULL" }, { VT_I2, "VT_I2" }, { VT_I4, "VT_I4" },
    { VT_R4, "VT_R4" }, { VT_R8, "VT_R8" }, { VT_BSTR, "VT_BSTR" }, { VT_DISPATCH, "VT_DISPATCH" },
    { VT_BOOL, "VT_BOOL" }, { VT_UNKNOWN, "VT_UNKNOWN" }, { VT_I1, "VT_I1" }, { VT_UI1, "VT_UI1" },
    { VT_UI2, "VT_UI2" }, { VT_UI4, "VT_UI4" }, { VT_INT, "VT_INT" }, { VT_UINT, "VT_UINT" },
};

std::string TypeName(VARTYPE type)
{
    for (size_t i = 0; i < sizeof(kNamedTypes) / sizeof(kNamedTypes[0]); ++i) {
        if (kNamedTypes[i].type == type)
            return kNamedTypes[i].name;
    }
    return SimFormat("VT_0x%04X", static_cast<unsigned>(type));
}

} // namespace

// ---------------------------------------------------------------------------
// SimObject
// ---------------------------------------------------------------------------

SimObject::SimObject(const char* kind, int device)
    : m_device(device), m_refs(1), m_dead(false)
{
    SimModel::Get();    // the first object loads the fleet and the state
    m_name = SimFormat("%s#%ld", kind, ++s_serial);
    ++s_live;
}

SimObject::~SimObject()
{
}

ULONG SimObject::AddRefObject()
{
    if (m_dead) {
        JournalLine("USE-AFTER-RELEASE " + m_name + ".AddRef");
        return 0;
    }
    return static_cast<ULONG>(++m_refs);
}

ULONG SimObject::ReleaseObject()
{
    if (m_dead) {
        JournalLine("OVER-RELEASE " + m_name);
        return 0;
    }
    const long left = --m_refs;
    if (left == 0) {
        m_dead = true;
        --s_live;
        KeepReleased(this);
    }
    return static_cast<ULONG>(left);
}

HRESULT SimObject::QueryObject(REFIID iid, void** ppv)
{
    const std::string itf = InterfaceName(iid);
    // The line is composed only for a journal (JournalLine writes nothing
    // without one).
    const bool journal = JournalOn();
    const std::string line = journal ? "IUnknown.QueryInterface(" + m_name + ", " + itf + ") -> " : std::string();
    if (ppv == NULL) {
        JournalLine(line + HresultText(E_POINTER));
        return E_POINTER;
    }
    *ppv = NULL;
    if (m_dead) {
        JournalLine("USE-AFTER-RELEASE " + line + HresultText(E_UNEXPECTED));
        return E_UNEXPECTED;
    }
    const SimFault* fault = ConsultFaults(itf);
    void* found = NULL;
    if (fault == NULL || fault->kind != FAULT_REFUSE)
        found = Find(iid);
    if (found == NULL) {
        JournalLine(line + HresultText(E_NOINTERFACE) + (fault != NULL ? " (refused)" : ""));
        return E_NOINTERFACE;
    }
    ++m_refs;
    *ppv = found;
    if (journal)
        JournalLine(line + HresultText(S_OK));
    return S_OK;
}

HRESULT SimObject::Reserved(const char* interfaceName, int position)
{
    JournalLine(SimFormat("%s.Reserved%d() -> %s", interfaceName, position,
                          HresultText(E_NOTIMPL).c_str()));
    return E_NOTIMPL;
}

long SimObject::LiveCount()
{
    return s_live;
}

void SimObject::FreeReleased()
{
    for (unsigned i = 0; i < kKeptReleased; ++i) {
        delete s_released[i];
        s_released[i] = NULL;
    }
    s_nextReleased = 0;
}

std::string InterfaceName(REFIID iid)
{
    for (size_t i = 0; i < sizeof(kNamedIids) / sizeof(kNamedIids[0]); ++i) {
        if (IsEqualIID(iid, *kNamedIids[i].iid))
            return kNamedIids[i].name;
    }
    wchar_t text[64];
    if (StringFromGUID2(iid, text, 64) <= 0)
        return "{?}";
    return AnsiFromWide(text, wcslen(text));
}

std::string VariantText(const VARIANT& value)
{
    const VARTYPE type = value.vt;
    std::string text = TypeName(type);
    switch (type) {
    case VT_I4: return text + SimFormat(":%ld", static_cast<long>(value.lVal));
    case VT_I2: return text + SimFormat(":%d", static_cast<int>(value.iVal));
    case VT_UI2: return text + SimFormat(":%u", static_cast<unsigned>(value.uiVal));
    case VT_UI4: return text + SimFormat(":%lu", static_cast<unsigned long>(value.ulVal));
    case VT_I1: return text + SimFormat(":%d", static_cast<int>(value.cVal));
    case VT_UI1: return text + SimFormat(":%u", static_cast<unsigned>(value.bVal));
    case VT_INT: return text + SimFormat(":%d", value.intVal);
    case VT_UINT: return text + SimFormat(":%u", value.uintVal);
    case VT_BOOL: return text + (value.boolVal ? ":true" : ":false");
    case VT_R8: return text + SimFormat(":%g", value.dblVal);
    case VT_R4: return text + SimFormat(":%g", static_cast<double>(value.fltVal));
    case VT_BSTR:
        return text + ":" + JournalText(AnsiFromWide(value.bstrVal,
                                                     value.bstrVal ? SysStringLen(value.bstrVal) : 0));
    default: return text;
    }
}

// ---------------------------------------------------------------------------
// SimCall
// ---------------------------------------------------------------------------

SimCall::SimCall(SimObject* object, const char* operation)
    : m_object(object), m_operation(operation), m_fault(NULL), m_done(false), m_journal(JournalOn())
{
    if (m_journal && FindOperation(m_operation) == NULL)
        JournalLine("INTERNAL: " + m_operation + " is missing from the operation catalogue");
    if (m_object == NULL || !m_object->IsDead())
        m_fault = ConsultFaults(m_operation);
}

void SimCall::Arg(long value)
{
    if (!m_journal)
        return;
    if (!m_args.empty())
        m_args += ", ";
    m_args += SimFormat("%ld", value);
}

void SimCall::ArgText(const std::string& text)
{
    if (!m_journal)
        return;
    if (!m_args.empty())
        m_args += ", ";
    m_args += JournalText(text);
}

void SimCall::ArgBstr(BSTR text)
{
    if (!m_journal)
        return;
    if (text == NULL) {
        if (!m_args.empty())
            m_args += ", ";
        m_args += "NULL";
        return;
    }
    ArgText(AnsiFromWide(text, SysStringLen(text)));
}

void SimCall::ArgVariant(const VARIANT& value)
{
    if (!m_journal)
        return;
    if (!m_args.empty())
        m_args += ", ";
    m_args += VariantText(value);
}

void SimCall::ArgName(const std::string& name)
{
    if (!m_journal)
        return;
    if (!m_args.empty())
        m_args += ", ";
    m_args += name;
}

void SimCall::Out(const std::string& text)
{
    if (!m_journal)
        return;
    m_outs += " ";
    m_outs += text;
}

bool SimCall::Blocked() const
{
    if (m_object != NULL && m_object->IsDead())
        return true;
    return m_fault != NULL && m_fault->kind == FAULT_FAIL;
}

HRESULT SimCall::Injected() const
{
    if (m_object != NULL && m_object->IsDead())
        return E_UNEXPECTED;
    if (m_fault != NULL && (m_fault->kind == FAULT_FAIL || m_fault->kind == FAULT_FAILOBJECT))
        return m_fault->result;
    return S_OK;
}

HRESULT SimCall::Done(HRESULT hr)
{
    if (m_done)
        return hr;
    m_done = true;
    // Without a journal nobody reads the line: compose none (this is most of
    // a call's cost, and the Devices page makes a dozen calls per device).
    if (!m_journal)
        return hr;
    std::string line;
    if (m_object != NULL && m_object->IsDead())
        line = "USE-AFTER-RELEASE " + m_object->Name() + " ";
    line += m_operation + "(" + m_args + ") -> " + HresultText(hr) + m_outs;
    if (m_fault != NULL)
        line += SimFormat(" (fault, line %d)", m_fault->line);
    if (m_object != NULL && m_object->Device() >= 0) {
        const SimModel& model = SimModel::Get();
        if (m_object->Device() < static_cast<int>(model.devices.size()))
            line += SimFormat(" device=%ld", model.devices[m_object->Device()].id);
    }
    JournalLine(line);
    return hr;
}

HRESULT SimCall::HandObject(IUnknown** out, SimObject* made)
{
    if (m_fault != NULL && m_fault->kind == FAULT_NOOBJECT) {
        made->ReleaseObject();
        *out = NULL;
        Out("object=none");
        return Done(S_OK);
    }
    *out = made->Unknown();
    if (m_journal)
        Out("object=" + made->Name());
    if (m_fault != NULL && m_fault->kind == FAULT_FAILOBJECT)
        return Done(m_fault->result);
    return Done(S_OK);
}

HRESULT SimCall::HandItem(VARIANT* out, SimObject* made, const std::string& name, long id)
{
    VariantInit(out);
    if (m_fault != NULL && m_fault->kind == FAULT_NOOBJECT) {
        made->ReleaseObject();
        out->vt = VT_DISPATCH;
        out->pdispVal = NULL;
        Out("object=none");
        return Done(S_OK);
    }
    if (m_fault != NULL && m_fault->kind == FAULT_VARTYPE && m_fault->type != VT_DISPATCH) {
        const VARTYPE type = m_fault->type;
        if (type == VT_UNKNOWN) {
            out->vt = VT_UNKNOWN;
            out->punkVal = made->Unknown();
            Out("value=VT_UNKNOWN object=" + made->Name());
            return Done(S_OK);
        }
        made->ReleaseObject();
        if (type == VT_BSTR) {
            out->vt = VT_BSTR;
            out->bstrVal = BstrFromAnsi(name);
        } else if (type == VT_NULL) {
            out->vt = VT_NULL;
        } else if (type != VT_EMPTY) {
            VARIANT number;
            VariantInit(&number);
            number.vt = VT_I4;
            number.lVal = id;
            if (FAILED(VariantChangeType(out, &number, 0, type)))
                VariantInit(out);
        }
        Out("value=" + VariantText(*out));
        return Done(S_OK);
    }
    out->vt = VT_DISPATCH;
    out->pdispVal = static_cast<IDispatch*>(made->Unknown());
    if (m_journal)
        Out("object=" + made->Name());
    if (m_fault != NULL && m_fault->kind == FAULT_FAILOBJECT)
        return Done(m_fault->result);
    return Done(S_OK);
}

HRESULT SimCall::HandString(BSTR* out, const std::string& text)
{
    if (m_fault != NULL && m_fault->kind == FAULT_NULL) {
        *out = NULL;
        Out("value=NULL");
        return Done(S_OK);
    }
    std::string value = text;
    if (m_fault != NULL && m_fault->kind == FAULT_LONG && m_fault->length > 0
        && value.size() < static_cast<size_t>(m_fault->length))
        value.append(static_cast<size_t>(m_fault->length) - value.size(), '#');
    *out = BstrFromAnsi(value);
    if (m_journal)
        Out("value=" + JournalText(value));
    return Done(*out != NULL ? S_OK : E_OUTOFMEMORY);
}

HRESULT SimCall::HandNumber(long* out, long value, const char* label)
{
    if (m_fault != NULL && m_fault->kind == FAULT_NUMBER)
        value = m_fault->number;
    *out = value;
    if (m_journal)
        Out(SimFormat("%s=%ld", label, value));
    return Done(S_OK);
}

HRESULT SimCall::HandVariant(VARIANT* out, long value)
{
    VariantInit(out);
    out->vt = VT_I4;
    out->lVal = value;
    if (m_fault != NULL && m_fault->kind == FAULT_VARTYPE && m_fault->type != VT_I4) {
        VARIANT changed;
        VariantInit(&changed);
        if (m_fault->type == VT_NULL)
            changed.vt = VT_NULL;
        else if (m_fault->type != VT_EMPTY && FAILED(VariantChangeType(&changed, out, 0, m_fault->type)))
            VariantInit(&changed);
        *out = changed;
    }
    if (m_journal)
        Out("value=" + VariantText(*out));
    return Done(S_OK);
}
