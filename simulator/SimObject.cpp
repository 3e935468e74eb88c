// SimObject.cpp - SimObject (a device-bound object of the simulator) and
// SimCall (the fault rules of one call).
#include "simulator/SimObject.h"

#include "comserver/ComJournal.h"
#include "simulator/SimModel.h"

// ---------------------------------------------------------------------------
// SimObject
// ---------------------------------------------------------------------------

SimObject::SimObject(const char* kind, int device)
    : ComObject(kind), m_device(device)
{
    SimModel::Get();    // the first object loads the fleet and the state
}

bool SimObject::Refuses(const std::string& interfaceName)
{
    const SimFault* fault = ConsultFaults(interfaceName);
    return fault != NULL && fault->kind == FAULT_REFUSE;
}

// ---------------------------------------------------------------------------
// SimCall
// ---------------------------------------------------------------------------

SimCall::SimCall(SimObject* object, const char* operation)
    : ComCall(object, operation), m_device(object), m_fault(NULL)
{
    Consult();
}

SimCall::SimCall(ComObject* object, const char* operation)
    : ComCall(object, operation), m_device(NULL), m_fault(NULL)
{
    Consult();
}

void SimCall::Consult()
{
    if (Journaling() && FindOperation(Operation()) == NULL)
        JournalLine("INTERNAL: " + Operation() + " is missing from the operation catalogue");
    if (!Released())
        m_fault = ConsultFaults(Operation());
}

bool SimCall::Blocked() const
{
    if (Released())
        return true;
    return m_fault != NULL && m_fault->kind == FAULT_FAIL;
}

HRESULT SimCall::Injected() const
{
    if (Released())
        return E_UNEXPECTED;
    if (m_fault != NULL && (m_fault->kind == FAULT_FAIL || m_fault->kind == FAULT_FAILOBJECT))
        return m_fault->result;
    return S_OK;
}

std::string SimCall::Notes() const
{
    std::string notes;
    if (m_fault != NULL)
        notes += ComFormat(" (fault, line %d)", m_fault->line);
    if (m_device != NULL && m_device->Device() >= 0) {
        const SimModel& model = SimModel::Get();
        if (m_device->Device() < static_cast<int>(model.devices.size()))
            notes += ComFormat(" device=%ld", model.devices[m_device->Device()].id);
    }
    return notes;
}

HRESULT SimCall::HandObject(IUnknown** out, ComObject* made)
{
    if (m_fault != NULL && m_fault->kind == FAULT_NOOBJECT) {
        made->ReleaseObject();
        *out = NULL;
        Out("object=none");
        return Done(S_OK);
    }
    *out = made->Unknown();
    if (Journaling())
        Out("object=" + made->Name());
    if (m_fault != NULL && m_fault->kind == FAULT_FAILOBJECT)
        return Done(m_fault->result);
    return Done(S_OK);
}

HRESULT SimCall::HandItem(VARIANT* out, ComObject* made, const std::string& name, long id)
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
    if (Journaling())
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
    if (Journaling())
        Out("value=" + JournalText(value));
    return Done(*out != NULL ? S_OK : E_OUTOFMEMORY);
}

HRESULT SimCall::HandNumber(long* out, long value, const char* label)
{
    if (m_fault != NULL && m_fault->kind == FAULT_NUMBER)
        value = m_fault->number;
    *out = value;
    if (Journaling())
        Out(ComFormat("%s=%ld", label, value));
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
    if (Journaling())
        Out("value=" + VariantText(*out));
    return Done(S_OK);
}
