// IppDevices.cpp - CIppDevices (the devices collection) and CIppDevice (one
// printer of it). Both answer from the monitor's cache.
#include "deviceipp/IppObjects.h"

#include "comserver/ComJournal.h"
#include "deviceipp/DeviceIppResults.h"

#include <new>

// ---------------------------------------------------------------------------
// CIppDevices
// ---------------------------------------------------------------------------

CIppDevices::CIppDevices()
    : IppObject("Devices")
{
    if (Ready())
        m_ids = Monitor().Ids();
}

void* CIppDevices::Find(REFIID iid)
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)
        || IsEqualIID(iid, IID_IServiceDevices))
        return static_cast<IServiceDevices*>(this);
    return NULL;
}

HRESULT CIppDevices::Item(long index, VARIANT* pItem)
{
    IppCall call(this, "IServiceDevices.Item");
    call.Arg(index);
    if (call.Released())
        return call.Done(E_UNEXPECTED);
    if (pItem == NULL)
        return call.Done(E_POINTER);
    VariantInit(pItem);
    // A position 1..Count of this collection, else the id of any printer the
    // service knows (ids are never positions).
    long id = 0;
    if (index >= 1 && static_cast<size_t>(index) <= m_ids.size()) {
        id = m_ids[static_cast<size_t>(index - 1)];
    } else {
        PrinterView printer;
        if (!Monitor().View(index, printer))
            return call.Done(DISP_E_BADINDEX);
        id = index;
    }
    CIppDevice* device = new (std::nothrow) CIppDevice(id);
    if (device == NULL)
        return call.Done(E_OUTOFMEMORY);
    pItem->vt = VT_DISPATCH;
    pItem->pdispVal = static_cast<IDispatch*>(static_cast<IServiceDevice*>(device));
    call.Out("object=" + device->ComObject::Name() + ComFormat(" id=%ld", id));
    return call.Done(S_OK);
}

HRESULT CIppDevices::Reserved8() { return Reserved("IServiceDevices", 8); }

HRESULT CIppDevices::Count(long* pCount)
{
    IppCall call(this, "IServiceDevices.Count");
    if (call.Released())
        return call.Done(E_UNEXPECTED);
    if (pCount == NULL)
        return call.Done(E_POINTER);
    return call.HandNumber(pCount, static_cast<long>(m_ids.size()));
}

// ---------------------------------------------------------------------------
// CIppDevice
// ---------------------------------------------------------------------------

CIppDevice::CIppDevice(long id)
    : IppObject("Device"), m_id(id)
{
}

void* CIppDevice::Find(REFIID iid)
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)
        || IsEqualIID(iid, IID_IServiceDevice))
        return static_cast<IServiceDevice*>(this);
    return NULL;
}

HRESULT CIppDevice::Reserved7() { return Reserved("IServiceDevice", 7); }
HRESULT CIppDevice::Reserved11() { return Reserved("IServiceDevice", 11); }

HRESULT CIppDevice::HandText(const char* operation, Field field, BSTR* pText)
{
    IppCall call(this, operation);
    if (call.Released())
        return call.Done(E_UNEXPECTED);
    if (pText == NULL)
        return call.Done(E_POINTER);
    *pText = NULL;
    PrinterView printer;
    if (!Monitor().View(m_id, printer))
        return call.Done(DEVIPP_E_UNKNOWNDEVICE);
    call.Out(ComFormat("id=%ld", m_id));
    std::string text;
    switch (field) {
    case COLUMN1:
        text = ConnectionText(printer.uri);
        break;
    case COLUMN2:
        text = StateWord(printer, GetTickCount());
        break;
    case NAME:
        text = printer.name;
        break;
    case DETAIL1:
    case DETAIL2:
        // What the printer's last answer said (none yet: nothing to show).
        if (!printer.answered)
            return call.Done(DEVIPP_E_NOTREACHABLE);
        text = field == DETAIL1 ? SerialText(printer) : FirmwareText(printer);
        if (text.empty())
            return call.Done(DEVIPP_E_NOTREPORTED);
        break;
    case DETAIL3:
        if (!printer.answered)
            return call.Done(DEVIPP_E_NOTREACHABLE);
        text = printer.facts.status.location;
        break;
    }
    return call.HandString(pText, text);
}

HRESULT CIppDevice::ColumnText1(BSTR* pText) { return HandText("IServiceDevice.ColumnText1", COLUMN1, pText); }
HRESULT CIppDevice::ColumnText2(BSTR* pText) { return HandText("IServiceDevice.ColumnText2", COLUMN2, pText); }
HRESULT CIppDevice::Name(BSTR* pName) { return HandText("IServiceDevice.Name", NAME, pName); }
HRESULT CIppDevice::DetailText1(BSTR* pText) { return HandText("IServiceDevice.DetailText1", DETAIL1, pText); }
HRESULT CIppDevice::DetailText2(BSTR* pText) { return HandText("IServiceDevice.DetailText2", DETAIL2, pText); }
HRESULT CIppDevice::DetailText3(BSTR* pText) { return HandText("IServiceDevice.DetailText3", DETAIL3, pText); }

HRESULT CIppDevice::Id(long* pId)
{
    IppCall call(this, "IServiceDevice.Id");
    if (call.Released())
        return call.Done(E_UNEXPECTED);
    if (pId == NULL)
        return call.Done(E_POINTER);
    return call.HandNumber(pId, m_id);
}

HRESULT CIppDevice::Type(long* pType)
{
    IppCall call(this, "IServiceDevice.Type");
    if (call.Released())
        return call.Done(E_UNEXPECTED);
    if (pType == NULL)
        return call.Done(E_POINTER);
    PrinterView printer;
    if (!Monitor().View(m_id, printer))
        return call.Done(DEVIPP_E_UNKNOWNDEVICE);
    return call.HandNumber(pType, DeviceType(printer));
}

HRESULT CIppDevice::DetailNumber(long* pNumber)
{
    IppCall call(this, "IServiceDevice.DetailNumber");
    if (call.Released())
        return call.Done(E_UNEXPECTED);
    if (pNumber == NULL)
        return call.Done(E_POINTER);
    PrinterView printer;
    if (!Monitor().View(m_id, printer))
        return call.Done(DEVIPP_E_UNKNOWNDEVICE);
    if (!printer.answered)
        return call.Done(DEVIPP_E_NOTREACHABLE);
    long count = 0;
    if (!PageCount(printer, count))
        return call.Done(DEVIPP_E_NOTREPORTED);     // the number stays untouched
    return call.HandNumber(pNumber, count);
}
