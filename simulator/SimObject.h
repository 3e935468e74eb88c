// SimObject.h - SimObject and SimCall: what every simulator object adds to the
// shared object base (comserver/ComObject.h).
//
// SimObject is a ComObject bound to a device of the fleet: it loads the model
// when the first object is made, names its device in the journal and refuses
// the interfaces that a "refuse" fault rule names. SimCall is a ComCall that
// consults the fault table once and applies it to what the call hands out.
// The interfaces are implemented with ComDispatch<I>.
#ifndef SIMULATOR_SIMOBJECT_H
#define SIMULATOR_SIMOBJECT_H

#include <windows.h>
#include <ole2.h>
#include <oaidl.h>

#include <string>

#include "comserver/ComObject.h"
#include "simulator/SimFaults.h"

class SimObject : public ComObject
{
public:
    // kind names the object in the journal; device is a fleet index or -1.
    // The object starts with one reference, owned by whoever made it.
    SimObject(const char* kind, int device);

    int Device() const { return m_device; }

protected:
    // A "refuse" fault rule on the interface.
    bool Refuses(const std::string& interfaceName);

    int m_device;
};

// One call of one operation: a ComCall that consults the fault table once,
// names the object's device in its journal line, and hands out results with
// the fault rules applied. Typical use:
//
//     SimCall call(this, "IDeviceService.GetReport");
//     call.Arg(number);
//     if (call.Blocked())
//         return call.Done(call.Injected());
//     ...
//     return call.HandObject(ppReport, report);
class SimCall : public ComCall
{
public:
    SimCall(SimObject* object, const char* operation);
    // A call of an object bound to no device (the class factory).
    SimCall(ComObject* object, const char* operation);

    // True when the call must not run: the object was released already, or a
    // "fail" rule applies. Injected() is then the HRESULT to return.
    bool Blocked() const;
    HRESULT Injected() const;
    // The fault rule that applies to this call, or NULL.
    const SimFault* Fault() const { return m_fault; }

    // Hand out a result with the fault rules applied, journal, return the HRESULT.
    // `made` carries the one reference that goes to the caller (or is dropped).
    HRESULT HandObject(IUnknown** out, ComObject* made);
    HRESULT HandItem(VARIANT* out, ComObject* made, const std::string& name, long id);
    HRESULT HandString(BSTR* out, const std::string& text);
    HRESULT HandNumber(long* out, long value, const char* label);
    HRESULT HandVariant(VARIANT* out, long value);

protected:
    // " (fault, line N)" and " device=<id>".
    std::string Notes() const;

private:
    void Consult();

    const SimObject* m_device;
    const SimFault* m_fault;
};

#endif // SIMULATOR_SIMOBJECT_H
