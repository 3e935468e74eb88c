// IppObjects.h - the COM objects of the IPP device service.
//
// Classes: CIppDeviceService (IDeviceService), CIppDevices (IServiceDevices),
// CIppDevice (IServiceDevice), CIppDriverSettings (IServiceDriverSettings),
// and the work of the pages (IppWork.cpp): CIppReport (IServiceReport, and
// IServiceReportOption for report 11), CIppAction (IServiceAction),
// CIppTasks (IServiceTasks), CIppProcedure (IServiceProcedure, and
// IServiceProcedureOptions for the option procedure), CIppMemory
// (IServiceMemory).
//
// Every object holds the printer monitor (PrinterMonitor.h) from its making
// until its last reference goes, so the monitor's threads run exactly while
// objects of the service are alive. The objects run on the client's thread
// only. The Devices page's reads and the availability answers (CanExecute
// and the like) come from the monitor's cache; what the user asked for
// explicitly (a setter, a report, an action, a task, a procedure, a memory
// read) sends its requests on the calling thread, bounded by the monitor's
// timeouts, and answers with the printer's own outcome.
//
// What has no counterpart on IPP printers (WorkMap.h) is refused when it is
// asked for: DEVIPP_E_NOTAVAILABLE, nothing handed out, nothing sent.
#ifndef DEVICEIPP_IPPOBJECTS_H
#define DEVICEIPP_IPPOBJECTS_H

#include <string>
#include <vector>

#include "comserver/ComObject.h"
#include "deviceipp/PrinterMonitor.h"
#include "service/DeviceService.h"

// A ComObject that holds the monitor.
class IppObject : public ComObject
{
public:
    explicit IppObject(const char* kind);
    // False when the monitor could not be started: the object must be
    // released at once and not handed out.
    bool Ready() const { return m_monitor != NULL; }

protected:
    void LastReleased();
    PrinterMonitor& Monitor() const { return *m_monitor; }

private:
    PrinterMonitor* m_monitor;
};

// A ComCall with the helpers that hand results out.
class IppCall : public ComCall
{
public:
    IppCall(ComObject* object, const char* operation) : ComCall(object, operation) {}

    // UTF-8 text to a new BSTR in *out.
    HRESULT HandString(BSTR* out, const std::string& text);
    HRESULT HandNumber(long* out, long value);
    // A VT_I4 in *out (what the caller left there is not ours to free);
    // `note` follows the value in the journal.
    HRESULT HandVariant(VARIANT* out, long value, const std::string& note = std::string());
    // Hands out `made` (its one reference goes to the caller).
    HRESULT HandObject(IUnknown** out, ComObject* made);
};

// Text (UTF-8) to a new BSTR; NULL when out of memory.
BSTR BstrFromUtf8(const std::string& text);
// A BSTR to UTF-8.
std::string Utf8FromBstr(BSTR text);

class CIppDeviceService : public IppObject, public ComDispatch<IDeviceService>
{
public:
    CIppDeviceService();

    HRESULT STDMETHODCALLTYPE Reserved7();
    HRESULT STDMETHODCALLTYPE Reserved8();
    HRESULT STDMETHODCALLTYPE Reserved9();
    HRESULT STDMETHODCALLTYPE Reserved10();
    HRESULT STDMETHODCALLTYPE GetDevices(IUnknown** ppDevices);
    HRESULT STDMETHODCALLTYPE Reserved12();
    HRESULT STDMETHODCALLTYPE GetCurrentDevice(long* pIdentity);
    HRESULT STDMETHODCALLTYPE SetCurrentDevice(long deviceId);
    HRESULT STDMETHODCALLTYPE GetSettings(long settingsSet, IUnknown** ppSettings);
    HRESULT STDMETHODCALLTYPE GetOptionProcedure(long number, IUnknown** ppProcedure);
    HRESULT STDMETHODCALLTYPE GetReport(long number, IUnknown** ppReport);
    HRESULT STDMETHODCALLTYPE GetAction(long kind, IUnknown** ppAction);
    HRESULT STDMETHODCALLTYPE GetDeviceTasks(IUnknown** ppTasks);
    HRESULT STDMETHODCALLTYPE GetCommand(long number, IUnknown** ppCommand);
    HRESULT STDMETHODCALLTYPE Reserved21();
    HRESULT STDMETHODCALLTYPE Reserved22();
    HRESULT STDMETHODCALLTYPE Reserved23();
    HRESULT STDMETHODCALLTYPE Reserved24();
    HRESULT STDMETHODCALLTYPE GetProcedureA(long number, IUnknown** ppProcedure);
    HRESULT STDMETHODCALLTYPE GetProcedureB(long number, IUnknown** ppProcedure);
    HRESULT STDMETHODCALLTYPE GetProcedureC(long number, IUnknown** ppProcedure);
    HRESULT STDMETHODCALLTYPE Reserved28();
    HRESULT STDMETHODCALLTYPE Reserved29();
    HRESULT STDMETHODCALLTYPE GetSettingsDeviceName(BSTR* pName);
    HRESULT STDMETHODCALLTYPE Reserved31();
    HRESULT STDMETHODCALLTYPE Reserved32();
    HRESULT STDMETHODCALLTYPE Reserved33();
    HRESULT STDMETHODCALLTYPE GetDeviceText(BSTR* pText);
    HRESULT STDMETHODCALLTYPE Reserved35();
    HRESULT STDMETHODCALLTYPE GetCurrentDeviceName(BSTR* pName);

protected:
    void* Find(REFIID iid);
    ComObject& Object() { return *this; }

private:
    enum CurrentText { TEXT_NAME, TEXT_DEVICE, TEXT_SETTINGS_NAME };
    HRESULT HandCurrentText(const char* operation, CurrentText which, BSTR* pText);
    // The work objects (IppWork.cpp): `family` 'R' report, 'M' maintenance
    // action, 'A', 'B', 'C' procedures, 'O' the option procedure, 'K'
    // command. Refuses what has no counterpart, or no current printer.
    HRESULT HandWork(const char* operation, char family, long number, IUnknown** pp);
};

class CIppDevices : public IppObject, public ComDispatch<IServiceDevices>
{
public:
    CIppDevices();

    HRESULT STDMETHODCALLTYPE Item(long index, VARIANT* pItem);
    HRESULT STDMETHODCALLTYPE Reserved8();
    HRESULT STDMETHODCALLTYPE Count(long* pCount);

protected:
    void* Find(REFIID iid);
    ComObject& Object() { return *this; }

private:
    // The printers when the collection was made, in list order.
    std::vector<long> m_ids;
};

class CIppDevice : public IppObject, public ComDispatch<IServiceDevice>
{
public:
    explicit CIppDevice(long id);

    HRESULT STDMETHODCALLTYPE Reserved7();
    HRESULT STDMETHODCALLTYPE ColumnText1(BSTR* pText);
    HRESULT STDMETHODCALLTYPE ColumnText2(BSTR* pText);
    HRESULT STDMETHODCALLTYPE Name(BSTR* pName);
    HRESULT STDMETHODCALLTYPE Reserved11();
    HRESULT STDMETHODCALLTYPE Id(long* pId);
    HRESULT STDMETHODCALLTYPE DetailText3(BSTR* pText);
    HRESULT STDMETHODCALLTYPE DetailNumber(long* pNumber);
    HRESULT STDMETHODCALLTYPE DetailText2(BSTR* pText);
    HRESULT STDMETHODCALLTYPE DetailText1(BSTR* pText);
    HRESULT STDMETHODCALLTYPE Type(long* pType);

protected:
    void* Find(REFIID iid);
    ComObject& Object() { return *this; }

private:
    enum Field { COLUMN1, COLUMN2, NAME, DETAIL1, DETAIL2, DETAIL3 };
    HRESULT HandText(const char* operation, Field field, BSTR* pText);

    long m_id;
};

class CIppDriverSettings : public IppObject, public ComDispatch<IServiceDriverSettings>
{
public:
    explicit CIppDriverSettings(long id);

    HRESULT STDMETHODCALLTYPE GetOption13(long* pValue);
    HRESULT STDMETHODCALLTYPE SetOption13(long value);
    HRESULT STDMETHODCALLTYPE GetOption4(long* pValue);
    HRESULT STDMETHODCALLTYPE SetOption4(long value);
    HRESULT STDMETHODCALLTYPE GetOption11(long* pValue);
    HRESULT STDMETHODCALLTYPE SetOption11(long value);
    HRESULT STDMETHODCALLTYPE GetOption2(long* pValue);
    HRESULT STDMETHODCALLTYPE SetOption2(long value);
    HRESULT STDMETHODCALLTYPE GetOption1(long* pValue);
    HRESULT STDMETHODCALLTYPE SetOption1(long value);
    HRESULT STDMETHODCALLTYPE GetOption3(long* pValue);
    HRESULT STDMETHODCALLTYPE SetOption3(long value);
    HRESULT STDMETHODCALLTYPE GetOption5(long* pValue);
    HRESULT STDMETHODCALLTYPE SetOption5(long value);
    HRESULT STDMETHODCALLTYPE GetOption6(long* pValue);
    HRESULT STDMETHODCALLTYPE SetOption6(long value);
    HRESULT STDMETHODCALLTYPE Reserved23();
    HRESULT STDMETHODCALLTYPE Reserved24();
    HRESULT STDMETHODCALLTYPE GetOption10(long* pValue);
    HRESULT STDMETHODCALLTYPE SetOption10(long value);
    HRESULT STDMETHODCALLTYPE Reserved27();
    HRESULT STDMETHODCALLTYPE Reserved28();
    HRESULT STDMETHODCALLTYPE GetOption12(long* pValue);
    HRESULT STDMETHODCALLTYPE SetOption12(long value);
    HRESULT STDMETHODCALLTYPE GetNumber(long* pValue);
    HRESULT STDMETHODCALLTYPE SetNumber(long value);
    HRESULT STDMETHODCALLTYPE GetNumberMax(long* pValue);
    HRESULT STDMETHODCALLTYPE GetChoice(long* pValue);
    HRESULT STDMETHODCALLTYPE SetChoice(short value);
    HRESULT STDMETHODCALLTYPE GetSwitch(long* pValue);
    HRESULT STDMETHODCALLTYPE SetSwitch(long value);
    HRESULT STDMETHODCALLTYPE GetOption9(long* pValue);
    HRESULT STDMETHODCALLTYPE SetOption9(long value);
    HRESULT STDMETHODCALLTYPE GetOption7(long* pValue);
    HRESULT STDMETHODCALLTYPE SetOption7(long value);
    HRESULT STDMETHODCALLTYPE GetOption8(long* pValue);
    HRESULT STDMETHODCALLTYPE SetOption8(long value);
    HRESULT STDMETHODCALLTYPE GetDefaultOption13(long* pValue);
    HRESULT STDMETHODCALLTYPE GetDefaultOption4(long* pValue);
    HRESULT STDMETHODCALLTYPE GetDefaultOption11(long* pValue);
    HRESULT STDMETHODCALLTYPE GetDefaultOption2(long* pValue);
    HRESULT STDMETHODCALLTYPE GetDefaultOption1(long* pValue);
    HRESULT STDMETHODCALLTYPE GetDefaultOption3(long* pValue);
    HRESULT STDMETHODCALLTYPE GetDefaultOption5(long* pValue);
    HRESULT STDMETHODCALLTYPE GetDefaultOption6(long* pValue);
    HRESULT STDMETHODCALLTYPE Reserved52();
    HRESULT STDMETHODCALLTYPE GetDefaultOption10(long* pValue);
    HRESULT STDMETHODCALLTYPE Reserved54();
    HRESULT STDMETHODCALLTYPE GetDefaultNumber(long* pValue);
    HRESULT STDMETHODCALLTYPE GetDefaultChoice(long* pValue);
    HRESULT STDMETHODCALLTYPE GetDefaultSwitch(long* pValue);
    HRESULT STDMETHODCALLTYPE GetDefaultOption9(long* pValue);
    HRESULT STDMETHODCALLTYPE GetDefaultOption7(long* pValue);
    HRESULT STDMETHODCALLTYPE GetDefaultOption8(long* pValue);
    HRESULT STDMETHODCALLTYPE Reserved61();
    HRESULT STDMETHODCALLTYPE SetDevice(BSTR deviceName);
    HRESULT STDMETHODCALLTYPE GetDefaultOption12(long* pValue);

protected:
    void* Find(REFIID iid);
    ComObject& Object() { return *this; }

private:
    // One body each for the getters, setters and default getters.
    HRESULT Get(int which, long* pValue);
    HRESULT Set(int which, long value);
    HRESULT GetDefault(int which, long* pValue);

    long m_id;      // the printer, 0 for none
};

// A report of the current printer when it was handed out.
class CIppReport : public IppObject,
                   public ComDispatch<IServiceReport>,
                   public ComDispatch<IServiceReportOption>
{
public:
    CIppReport(long number, long id);

    // Position 7 of both interfaces.
    HRESULT STDMETHODCALLTYPE Reserved7();
    HRESULT STDMETHODCALLTYPE ExecuteAlternate(long value);
    HRESULT STDMETHODCALLTYPE Execute(long value);
    HRESULT STDMETHODCALLTYPE Reserved10();
    HRESULT STDMETHODCALLTYPE CanExecuteAlternate(long* pAvailable);
    HRESULT STDMETHODCALLTYPE CanExecute(long* pAvailable);
    HRESULT STDMETHODCALLTYPE SetReportOption(long enabled);

protected:
    void* Find(REFIID iid);
    ComObject& Object() { return *this; }

private:
    HRESULT Availability(bool alternate, long* pAvailable);

    long m_number;
    long m_id;
};

// A maintenance action of the current printer when it was handed out.
class CIppAction : public IppObject, public ComDispatch<IServiceAction>
{
public:
    CIppAction(long kind, long id);

    HRESULT STDMETHODCALLTYPE Run();

protected:
    void* Find(REFIID iid);
    ComObject& Object() { return *this; }

private:
    long m_kind;
    long m_id;
};

// The device tasks. The Tasks page keeps this object for its whole life, so
// each task works on the printer that is current when it starts.
class CIppTasks : public IppObject, public ComDispatch<IServiceTasks>
{
public:
    CIppTasks();

    HRESULT STDMETHODCALLTYPE StartSecondTask();
    HRESULT STDMETHODCALLTYPE Reserved8();
    HRESULT STDMETHODCALLTYPE StartFirstTask();

protected:
    void* Find(REFIID iid);
    ComObject& Object() { return *this; }

private:
    HRESULT StartTask(const char* operation, bool first);
};

// A procedure of the families A, B, C or the option procedure ('O') of the
// current printer when it was handed out. Start's result is the id of the
// job the procedure made (0 when it made none).
class CIppProcedure : public IppObject,
                      public ComDispatch<IServiceProcedure>,
                      public ComDispatch<IServiceProcedureOptions>
{
public:
    CIppProcedure(char family, long number, long id);

    // Position 7 of IServiceProcedure.
    HRESULT STDMETHODCALLTYPE Start(long value, long* pResult);
    // Position 7 of IServiceProcedureOptions.
    HRESULT STDMETHODCALLTYPE SetOptions(long flags);

protected:
    void* Find(REFIID iid);
    ComObject& Object() { return *this; }

private:
    char m_family;
    long m_number;
    long m_id;
    long m_flags;   // the option procedure's heads: bit 0 black, bit 1 colour
};

// The memory locations (MemoryMap.h) of the current printer when it was
// handed out: read only.
class CIppMemory : public IppObject, public ComDispatch<IServiceMemory>
{
public:
    explicit CIppMemory(long id);

    HRESULT STDMETHODCALLTYPE Reserved7();
    HRESULT STDMETHODCALLTYPE Reserved8();
    HRESULT STDMETHODCALLTYPE Reserved9();
    HRESULT STDMETHODCALLTYPE ReadValue(long location, VARIANT* pValue);
    HRESULT STDMETHODCALLTYPE WriteValue(long location, VARIANT value);
    HRESULT STDMETHODCALLTYPE GetDefaultValue(long location, VARIANT* pValue);
    HRESULT STDMETHODCALLTYPE Reserved13();
    HRESULT STDMETHODCALLTYPE Reserved14();
    HRESULT STDMETHODCALLTYPE IsValidLocation(long location, long* pValid);

protected:
    void* Find(REFIID iid);
    ComObject& Object() { return *this; }

private:
    long m_id;
};

#endif // DEVICEIPP_IPPOBJECTS_H
