// FakeDeviceService.h - fake::FakeDeviceService, a recording and scriptable
// stand-in for the device service, for tests that drive pages in-process.
//
// Classes: fake::FakeDevice, fake::MemoryLocation, fake::DriverValues,
// fake::ReportAnswers, fake::FakeDeviceService.
//
// The fake answers every operation of IDeviceService and hands out objects
// for IServiceDevices, IServiceDevice, IServiceReport + IServiceReportOption,
// IServiceAction, IServiceMemory, IServiceDriverSettings, IServiceTasks,
// IServiceProcedure + IServiceProcedureOptions and IServiceCommand. It
// records every call in order, every QueryInterface and every Release, keeps
// count of the references of every object it handed out, and answers as the
// test scripts it through the public fields below. See README.md beside this
// file for a walk-through.
//
// Names used by the log and by the scripting fields:
//   a call on IDeviceService     "GetReport(10)", "GetCurrentDevice"
//   a call on a handed-out object "IServiceReport.Execute(0)",
//                                 "IServiceMemory.WriteValue(12,VT_I4:345)"
//   an object (by its getter)     "Devices", "Device(<id>)", "Settings(1)",
//                                 "Settings(2)", "OptionProcedure(4)",
//                                 "ProcedureA(1)", "ProcedureB(5)",
//                                 "ProcedureC(3)", "Report(10)", "Action(2)",
//                                 "Tasks", "Command(1)"
//   one interface of an object    "Report(10).IServiceReport"; the object's
//                                 own IUnknown (also its IDispatch) is
//                                 "Report(10).IUnknown"
#ifndef TESTS_FAKES_FAKEDEVICESERVICE_H
#define TESTS_FAKES_FAKEDEVICESERVICE_H

#include <windows.h>
#include <ole2.h>
#include <oaidl.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "service/DeviceService.h"

namespace fake
{

class FakeObject;
struct Outcome;

// One device of the devices collection.
struct FakeDevice
{
    std::wstring name;
    bool nullName = false;  // Name hands out a null BSTR
    long id = 0;
    long type = 0;
    std::wstring columnText1;
    std::wstring columnText2;
    std::wstring detailText1;
    std::wstring detailText2;
    std::wstring detailText3;
    long detailNumber = 0;
    // Text getters that hand out a null BSTR instead of their text, by bare
    // method name ("ColumnText1", "DetailText3", ...).
    std::set<std::string> nullTexts;
    // Scripting for this device's object only, keyed by the bare method name
    // ("Name", "DetailNumber", ...); same meaning as the fake's own fields.
    std::map<std::string, HRESULT> fail;
    std::set<std::string> untouched;
};

// One location of the device memory.
struct MemoryLocation
{
    long valid = 1;         // what IsValidLocation answers
    long value = 0;         // what ReadValue answers; a stored WriteValue changes it
    long defaultValue = 0;  // what GetDefaultValue answers
    bool written = false;   // set by every stored WriteValue
};

// The sixteen driver settings, as the interface carries them.
struct DriverValues
{
    long option1 = 0;
    long option2 = 0;
    long option3 = 0;
    long option4 = 0;
    long option5 = 0;
    long option6 = 0;
    long option7 = 0;
    long option8 = 0;
    long option9 = 0;
    long option10 = 0;
    long option11 = 0;
    long option12 = 0;
    long option13 = 0;
    long number = 0;
    long choice = 0;       // GetChoice writes all 32 bits; SetChoice stores the short sign-extended
    long switchValue = 0;  // GetSwitch / SetSwitch
};

// What a report object answers when asked for its commands' availability.
struct ReportAnswers
{
    long canExecute = 0;
    long canExecuteAlternate = 0;
};

class FakeDeviceService : public IDeviceService
{
public:
    FakeDeviceService();
    virtual ~FakeDeviceService();

    // -----------------------------------------------------------------------
    // Scripting: failures. Each key names a call the way the log does; the
    // narrowest key that is present wins:
    //   "IServiceDevices.Item(2)"  this interface, this method, these arguments
    //   "Item(2)"                  this method with these arguments
    //   "IServiceDevices.Item"     this interface and method, any arguments
    //   "Item"                     this method on whatever interface
    // For IDeviceService's own operations the first two and last two are the
    // same ("GetReport(11)", "GetReport").
    // -----------------------------------------------------------------------

    // The call returns this HRESULT (a success code works too). A failing
    // getter of a value or string still writes its out-value (so a page that
    // ignores the result shows it); add the key to `untouched` as well for a
    // call that writes nothing. A failing getter of an object hands out no
    // object (writes NULL) unless the key is in `objectOnFailure`. A failing
    // setter stores nothing.
    std::map<std::string, HRESULT> fail;
    // The getter writes NULL instead of an object (with S_OK unless `fail`
    // says otherwise). For Item: a VARIANT of the item type with a null pointer.
    std::set<std::string> noObject;
    // The getter hands out its object even though `fail` makes it fail.
    std::set<std::string> objectOnFailure;
    // The call does not touch its out-value (the caller's preset stays); a
    // setter returns its result without storing.
    std::set<std::string> untouched;
    // Interfaces that objects refuse in QueryInterface (E_NOINTERFACE):
    //   "IServiceReport"                     every object
    //   "Report.IServiceReportOption"        every object of this kind
    //   "Report(11).IServiceReportOption"    the objects of this one label
    std::set<std::string> refuse;
    // Adds the interface's name for iid to `refuse` (every object).
    void Refuse(REFIID iid);

    // Returns the scripting keys that name no call or interface of the fake
    // (typing mistakes); empty when all are known.
    std::vector<std::string> ScriptProblems() const;

    // -----------------------------------------------------------------------
    // Scripting: data.
    // -----------------------------------------------------------------------

    // The devices collection. Item takes a 1-based position when the number is
    // 1 to devices.size(), otherwise a device id: give devices ids outside that
    // range (101, 102, ...) so that positions and ids cannot be mixed up.
    std::vector<FakeDevice> devices;
    // Appends a device and returns it for setting more fields (the reference
    // lasts until the next change of `devices`).
    FakeDevice& AddDevice(const std::wstring& name, long id, long type = 1);
    // Type tag of the VARIANT that Item fills. VT_DISPATCH and VT_UNKNOWN
    // carry the device object; any other tag carries no object (the pointer
    // field is NULL), for trying a caller against a wrong type.
    VARTYPE itemType = VT_DISPATCH;

    // What GetCurrentDevice answers. SetCurrentDevice with an id other than
    // currentDeviceId stores the id and gives currentIdentity a new value
    // (never 0, never one given before); the same id changes nothing. The
    // three names below are the test's to set: SetCurrentDevice leaves them.
    long currentIdentity = 0;
    long currentDeviceId = 0;

    std::wstring currentDeviceName;  // GetCurrentDeviceName
    bool nullCurrentDeviceName = false;
    std::wstring deviceText;  // GetDeviceText
    bool nullDeviceText = false;
    std::wstring settingsDeviceName;  // GetSettingsDeviceName
    bool nullSettingsDeviceName = false;

    // Device memory, by location. A location that is not in the map is not
    // valid (IsValidLocation answers 0) and ReadValue, GetDefaultValue and
    // WriteValue fail there with E_INVALIDARG. WriteValue accepts only VT_I4
    // (otherwise DISP_E_TYPEMISMATCH) and stores the value.
    std::map<long, MemoryLocation> memory;
    // Type tag of the VARIANTs that ReadValue and GetDefaultValue fill. The
    // 32-bit integer field holds the number whatever the tag says (VT_EMPTY,
    // VT_I2, VT_UI4, VT_R8, ...), except that VT_BSTR carries the number as
    // decimal text, and VT_DISPATCH, VT_UNKNOWN and array or by-reference tags
    // carry a NULL pointer, so that VariantClear stays safe.
    VARTYPE memoryType = VT_I4;
    // When set, ReadValue of a location that has been written answers this
    // value instead of what was stored (read-back 0, or another value).
    std::optional<long> readBackAfterWrite;

    // Driver settings: what the getters answer and the setters store, and
    // what the default-value getters answer.
    DriverValues driver;
    DriverValues driverDefaults;
    long driverNumberMax = 0;
    // What IServiceDriverSettings.SetDevice stored last.
    std::wstring driverDevice;
    bool nullDriverDevice = false;

    // Report answers by report number; a number that is not here answers 0 to both.
    std::map<long, ReportAnswers> reports;
    // Report numbers whose objects answer IServiceReportOption (11 at first).
    std::set<long> reportsWithOption;
    // What SetReportOption stored, by report number.
    std::map<long, long> reportOptions;

    // What IServiceProcedure.Start writes as the procedure's result.
    long startResult = 0;
    // What IServiceProcedureOptions.SetOptions stored last.
    long procedureOptions = 0;

    // -----------------------------------------------------------------------
    // The log. Calls() holds one entry per call on the service and on every
    // object it handed out, in order ("GetReport(10)", "IServiceReport.CanExecute").
    // Queries() holds "QueryInterface Report(10).IServiceReport", with
    // " -> E_NOINTERFACE" appended when the object did not answer. Releases()
    // holds "Release Report(10).IServiceReport -> 1": the label of the
    // interface the pointer belonged to and the references the object has left.
    // Events() holds all three kinds in one order. Unexpected() holds calls no
    // page should make: reserved positions and IDispatch methods (these also
    // appear in Calls(), as "UNEXPECTED Settings(1).IServiceMemory.Reserved13"),
    // and calls, queries and AddRefs on an object after its final release.
    // -----------------------------------------------------------------------
    const std::vector<std::string>& Calls() const { return m_calls; }
    const std::vector<std::string>& Queries() const { return m_queries; }
    const std::vector<std::string>& Releases() const { return m_releases; }
    const std::vector<std::string>& Events() const { return m_events; }
    const std::vector<std::string>& Unexpected() const { return m_unexpected; }
    // Empties Calls, Queries, Releases and Events (not Unexpected, not the
    // over-releases and not the reference counts).
    void ClearCalls();
    // The calls whose entry begins with prefix, and how many there are.
    int CountOf(const std::string& prefix) const;
    std::vector<std::string> CallsMatching(const std::string& prefix) const;
    // All events, one per line, for failure messages.
    std::string EventsText() const;

    // -----------------------------------------------------------------------
    // Reference accounting. Every object starts with one reference when it is
    // handed out; all its interfaces share that count.
    // -----------------------------------------------------------------------
    // Objects handed out and not yet fully released.
    int LiveObjects() const;
    // Their labels with their counts, "Report(10) refs=1".
    std::vector<std::string> LiveObjectLabels() const;
    // True once any Release went below zero; the entries are in OverReleases().
    bool OverReleased() const { return !m_overReleases.empty(); }
    const std::vector<std::string>& OverReleases() const { return m_overReleases; }
    // The fake's own count: it starts at 1 (the reference the test holds);
    // going below 0 counts as an over-release too.
    long ServiceRefs() const { return m_serviceRefs; }

    // -----------------------------------------------------------------------
    // IUnknown, IDispatch, IDeviceService.
    // -----------------------------------------------------------------------
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetTypeInfoCount(UINT*) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;

    STDMETHODIMP Reserved7() override;
    STDMETHODIMP Reserved8() override;
    STDMETHODIMP Reserved9() override;
    STDMETHODIMP Reserved10() override;
    STDMETHODIMP GetDevices(IUnknown** ppDevices) override;
    STDMETHODIMP Reserved12() override;
    STDMETHODIMP GetCurrentDevice(long* pIdentity) override;
    STDMETHODIMP SetCurrentDevice(long deviceId) override;
    STDMETHODIMP GetSettings(long settingsSet, IUnknown** ppSettings) override;
    STDMETHODIMP GetOptionProcedure(long number, IUnknown** ppProcedure) override;
    STDMETHODIMP GetReport(long number, IUnknown** ppReport) override;
    STDMETHODIMP GetAction(long kind, IUnknown** ppAction) override;
    STDMETHODIMP GetDeviceTasks(IUnknown** ppTasks) override;
    STDMETHODIMP GetCommand(long number, IUnknown** ppCommand) override;
    STDMETHODIMP Reserved21() override;
    STDMETHODIMP Reserved22() override;
    STDMETHODIMP Reserved23() override;
    STDMETHODIMP Reserved24() override;
    STDMETHODIMP GetProcedureA(long number, IUnknown** ppProcedure) override;
    STDMETHODIMP GetProcedureB(long number, IUnknown** ppProcedure) override;
    STDMETHODIMP GetProcedureC(long number, IUnknown** ppProcedure) override;
    STDMETHODIMP Reserved28() override;
    STDMETHODIMP Reserved29() override;
    STDMETHODIMP GetSettingsDeviceName(BSTR* pName) override;
    STDMETHODIMP Reserved31() override;
    STDMETHODIMP Reserved32() override;
    STDMETHODIMP Reserved33() override;
    STDMETHODIMP GetDeviceText(BSTR* pText) override;
    STDMETHODIMP Reserved35() override;
    STDMETHODIMP GetCurrentDeviceName(BSTR* pName) override;

private:
    friend class FakeObject;

    FakeDeviceService(const FakeDeviceService&);
    FakeDeviceService& operator=(const FakeDeviceService&);

    // Logs the call and works out how the script wants it answered. iface is
    // empty for IDeviceService's own operations; the two maps hold a device's
    // own scripting (keyed by bare method name) or are null.
    Outcome Enter(const std::string& iface, const char* method, const std::string& args,
                  const std::map<std::string, HRESULT>* deviceFail = NULL,
                  const std::set<std::string>* deviceUntouched = NULL);
    void RecordCall(const std::string& entry);
    void RecordQuery(const std::string& entry);
    void RecordRelease(const std::string& label, long left);
    // Notes a call no page should make; asCall also puts it in Calls().
    // Returns E_NOTIMPL.
    HRESULT RecordUnexpected(const std::string& what, bool asCall);
    bool IsRefused(const std::string& kind, const std::string& label,
                   const std::string& iface) const;
    long NewIdentity();
    // Takes ownership of a new object (one reference) and returns its IUnknown.
    IUnknown* Adopt(FakeObject* object);
    // The shared body of the getters that hand out one object: logs the call
    // (with number when hasNumber) and hands out a new object of the getter's
    // kind as the script says.
    HRESULT HandOut(const char* method, long number, bool hasNumber, IUnknown** ppObject);

    std::vector<std::string> m_calls;
    std::vector<std::string> m_queries;
    std::vector<std::string> m_releases;
    std::vector<std::string> m_events;
    std::vector<std::string> m_unexpected;
    std::vector<std::string> m_overReleases;
    std::vector<FakeObject*> m_objects;
    long m_serviceRefs;
    long m_lastIdentity;
};

} // namespace fake

#endif // TESTS_FAKES_FAKEDEVICESERVICE_H
