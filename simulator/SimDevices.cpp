// SimDevices.cpp - CSimDevices (the devices collection) and CSimDevice (one
// device of it).
#include "simulator/SimObjects.h"

#include "comserver/ComJournal.h"
#include "simulator/SimModel.h"
#include "simulator/SimResults.h"

#include <new>

// ---------------------------------------------------------------------------
// CSimDevices
// ---------------------------------------------------------------------------

CSimDevices::CSimDevices()
    : SimObject("Devices", -1)
{
}

void* CSimDevices::Find(REFIID iid)
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)
        || IsEqualIID(iid, IID_IServiceDevices))
        return static_cast<IServiceDevices*>(this);
    return NULL;
}

HRESULT CSimDevices::Item(long index, VARIANT* pItem)
{
    SimCall call(this, "IServiceDevices.Item");
    call.Arg(index);
    if (call.Blocked())
        return call.Done(call.Injected());
    if (pItem == NULL)
        return call.Done(E_POINTER);
    const SimModel& model = SimModel::Get();
    const int device = model.FindByItem(index);
    if (device < 0)
        return call.Done(DISP_E_BADINDEX);
    CSimDevice* item = new (std::nothrow) CSimDevice(device);
    if (item == NULL)
        return call.Done(E_OUTOFMEMORY);
    return call.HandItem(pItem, item, model.devices[device].name, model.devices[device].id);
}

HRESULT CSimDevices::Reserved8() { return Reserved("IServiceDevices", 8); }

HRESULT CSimDevices::Count(long* pCount)
{
    SimCall call(this, "IServiceDevices.Count");
    if (call.Blocked())
        return call.Done(call.Injected());
    if (pCount == NULL)
        return call.Done(E_POINTER);
    return call.HandNumber(pCount, static_cast<long>(SimModel::Get().devices.size()), "count");
}

// ---------------------------------------------------------------------------
// CSimDevice
// ---------------------------------------------------------------------------

CSimDevice::CSimDevice(int device)
    : SimObject("Device", device)
{
}

void* CSimDevice::Find(REFIID iid)
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)
        || IsEqualIID(iid, IID_IServiceDevice))
        return static_cast<IServiceDevice*>(this);
    return NULL;
}

HRESULT CSimDevice::HandText(const char* operation, const std::string& text, BSTR* pText)
{
    SimCall call(this, operation);
    if (call.Blocked())
        return call.Done(call.Injected());
    if (pText == NULL)
        return call.Done(E_POINTER);
    return call.HandString(pText, text);
}

HRESULT CSimDevice::HandValue(const char* operation, long value, long* pValue)
{
    SimCall call(this, operation);
    if (call.Blocked())
        return call.Done(call.Injected());
    if (pValue == NULL)
        return call.Done(E_POINTER);
    return call.HandNumber(pValue, value, "value");
}

HRESULT CSimDevice::Reserved7() { return Reserved("IServiceDevice", 7); }
HRESULT CSimDevice::Reserved11() { return Reserved("IServiceDevice", 11); }

HRESULT CSimDevice::ColumnText1(BSTR* pText)
{
    return HandText("IServiceDevice.ColumnText1", SimModel::Get().devices[m_device].columnText1, pText);
}

HRESULT CSimDevice::ColumnText2(BSTR* pText)
{
    return HandText("IServiceDevice.ColumnText2", SimModel::Get().devices[m_device].columnText2, pText);
}

HRESULT CSimDevice::Name(BSTR* pName)
{
    return HandText("IServiceDevice.Name", SimModel::Get().devices[m_device].name, pName);
}

HRESULT CSimDevice::Id(long* pId)
{
    return HandValue("IServiceDevice.Id", SimModel::Get().devices[m_device].id, pId);
}

HRESULT CSimDevice::DetailText3(BSTR* pText)
{
    return HandText("IServiceDevice.DetailText3", SimModel::Get().devices[m_device].detailText3, pText);
}

HRESULT CSimDevice::DetailNumber(long* pNumber)
{
    return HandValue("IServiceDevice.DetailNumber", SimModel::Get().devices[m_device].detailNumber,
                     pNumber);
}

HRESULT CSimDevice::DetailText2(BSTR* pText)
{
    return HandText("IServiceDevice.DetailText2", SimModel::Get().devices[m_device].detailText2, pText);
}

HRESULT CSimDevice::DetailText1(BSTR* pText)
{
    return HandText("IServiceDevice.DetailText1", SimModel::Get().devices[m_device].detailText1, pText);
}

HRESULT CSimDevice::Type(long* pType)
{
    return HandValue("IServiceDevice.Type", SimModel::Get().devices[m_device].type, pType);
}
