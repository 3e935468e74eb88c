// ComObject.cpp - ComObject (identity, references, released objects),
// InterfaceName, VariantText and ComCall (the journal line of one call).
#include "comserver/ComObject.h"

#include "comserver/ComJournal.h"
#include "comserver/ComServer.h"

namespace {

long s_live = 0;
long s_serial = 0;

// Released objects kept for over-release detection: a ring of the most recent.
const unsigned kKeptReleased = 2048;
ComObject* s_released[kKeptReleased];
unsigned s_nextReleased = 0;

void KeepReleased(ComObject* object)
{
    ComObject*& slot = s_released[s_nextReleased];
    delete slot;
    slot = object;
    s_nextReleased = (s_nextReleased + 1) % kKeptReleased;
}

const ComNamedIid kStandardIids[] = {
    { &IID_IUnknown, "IUnknown" },
    { &IID_IDispatch, "IDispatch" },
    { &IID_IClassFactory, "IClassFactory" },
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
    return ComFormat("VT_0x%04X", static_cast<unsigned>(type));
}

} // namespace

// ---------------------------------------------------------------------------
// ComObject
// ---------------------------------------------------------------------------

ComObject::ComObject(const char* kind)
    : m_refs(1), m_dead(false)
{
    m_name = ComFormat("%s#%ld", kind, ++s_serial);
    ++s_live;
}

ComObject::~ComObject()
{
}

ULONG ComObject::AddRefObject()
{
    if (m_dead) {
        JournalLine("USE-AFTER-RELEASE " + m_name + ".AddRef");
        return 0;
    }
    return static_cast<ULONG>(++m_refs);
}

ULONG ComObject::ReleaseObject()
{
    if (m_dead) {
        JournalLine("OVER-RELEASE " + m_name);
        return 0;
    }
    const long left = --m_refs;
    if (left == 0) {
        m_dead = true;
        --s_live;
        LastReleased();
        KeepReleased(this);
    }
    return static_cast<ULONG>(left);
}

HRESULT ComObject::QueryObject(REFIID iid, void** ppv)
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
    const bool refused = Refuses(itf);
    void* found = refused ? NULL : Find(iid);
    if (found == NULL) {
        JournalLine(line + HresultText(E_NOINTERFACE) + (refused ? " (refused)" : ""));
        return E_NOINTERFACE;
    }
    ++m_refs;
    *ppv = found;
    if (journal)
        JournalLine(line + HresultText(S_OK));
    return S_OK;
}

bool ComObject::Refuses(const std::string&)
{
    return false;
}

void ComObject::LastReleased()
{
}

HRESULT ComObject::Reserved(const char* interfaceName, int position)
{
    JournalLine(ComFormat("%s.Reserved%d() -> %s", interfaceName, position,
                          HresultText(E_NOTIMPL).c_str()));
    return E_NOTIMPL;
}

long ComObject::LiveCount()
{
    return s_live;
}

void ComObject::FreeReleased()
{
    for (unsigned i = 0; i < kKeptReleased; ++i) {
        delete s_released[i];
        s_released[i] = NULL;
    }
    s_nextReleased = 0;
}

std::string InterfaceName(REFIID iid)
{
    for (size_t i = 0; i < sizeof(kStandardIids) / sizeof(kStandardIids[0]); ++i) {
        if (IsEqualIID(iid, *kStandardIids[i].iid))
            return kStandardIids[i].name;
    }
    const ComServerInfo* server = ComServer();
    if (server != NULL && server->names != NULL) {
        for (const ComNamedIid* named = server->names; named->iid != NULL; ++named) {
            if (IsEqualIID(iid, *named->iid))
                return named->name;
        }
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
    case VT_I4: return text + ComFormat(":%ld", static_cast<long>(value.lVal));
    case VT_I2: return text + ComFormat(":%d", static_cast<int>(value.iVal));
    case VT_UI2: return text + ComFormat(":%u", static_cast<unsigned>(value.uiVal));
    case VT_UI4: return text + ComFormat(":%lu", static_cast<unsigned long>(value.ulVal));
    case VT_I1: return text + ComFormat(":%d", static_cast<int>(value.cVal));
    case VT_UI1: return text + ComFormat(":%u", static_cast<unsigned>(value.bVal));
    case VT_INT: return text + ComFormat(":%d", value.intVal);
    case VT_UINT: return text + ComFormat(":%u", value.uintVal);
    case VT_BOOL: return text + (value.boolVal ? ":true" : ":false");
    case VT_R8: return text + ComFormat(":%g", value.dblVal);
    case VT_R4: return text + ComFormat(":%g", static_cast<double>(value.fltVal));
    case VT_BSTR:
        return text + ":" + JournalText(AnsiFromWide(value.bstrVal,
                                                     value.bstrVal ? SysStringLen(value.bstrVal) : 0));
    default: return text;
    }
}

// ---------------------------------------------------------------------------
// ComCall
// ---------------------------------------------------------------------------

ComCall::ComCall(ComObject* object, const char* operation)
    : m_object(object), m_operation(operation), m_done(false), m_journal(JournalOn())
{
}

void ComCall::Arg(long value)
{
    if (!m_journal)
        return;
    if (!m_args.empty())
        m_args += ", ";
    m_args += ComFormat("%ld", value);
}

void ComCall::ArgText(const std::string& text)
{
    if (!m_journal)
        return;
    if (!m_args.empty())
        m_args += ", ";
    m_args += JournalText(text);
}

void ComCall::ArgBstr(BSTR text)
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

void ComCall::ArgVariant(const VARIANT& value)
{
    if (!m_journal)
        return;
    if (!m_args.empty())
        m_args += ", ";
    m_args += VariantText(value);
}

void ComCall::ArgName(const std::string& name)
{
    if (!m_journal)
        return;
    if (!m_args.empty())
        m_args += ", ";
    m_args += name;
}

void ComCall::Out(const std::string& text)
{
    if (!m_journal)
        return;
    m_outs += " ";
    m_outs += text;
}

HRESULT ComCall::Done(HRESULT hr)
{
    if (m_done)
        return hr;
    m_done = true;
    // Without a journal nobody reads the line: compose none (this is most of
    // a call's cost when a client makes many small calls).
    if (!m_journal)
        return hr;
    std::string line;
    if (Released())
        line = "USE-AFTER-RELEASE " + m_object->Name() + " ";
    line += m_operation + "(" + m_args + ") -> " + HresultText(hr) + m_outs + Notes();
    JournalLine(line);
    return hr;
}
