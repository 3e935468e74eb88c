// SimObjects.h - the simulator's COM objects.
//
// Classes: CSimDeviceService (IDeviceService), CSimDevices (IServiceDevices),
// CSimDevice (IServiceDevice), CSimMemory (IServiceMemory), CSimDriverSettings
// (IServiceDriverSettings), CSimReport (IServiceReport, and for report 11
// IServiceReportOption), CSimAction (IServiceAction), CSimTasks (IServiceTasks),
// CSimProcedure (IServiceProcedure, and for the option procedure
// IServiceProcedureOptions), CSimCommand (IServiceCommand).
//
// Every object that works on a device is bound to the device that was current
// when it was handed out (a driver settings object is re-pointed by SetDevice);
// made while no device was current, its device operations fail with
// SIM_E_NODEVICE. Each object starts with one reference for its maker.
#ifndef SIMULATOR_SIMOBJECTS_H
#define SIMULATOR_SIMOBJECTS_H

#include "service/DeviceService.h"
#include "simulator/SimObject.h"

class CSimDeviceService : public SimObject, public ComDispatch<IDeviceService>
{
public:
    CSimDeviceService();

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
    // GetProcedureA/B/C and GetOptionProcedure: one body.
    HRESULT HandProcedure(const char* operation, char family, long number, IUnknown** pp);
    // The three strings of the current device: one body.
    HRESULT HandCurrentText(const char* operation, int field, BSTR* pText);
};

class CSimDevices : public SimObject, public ComDispatch<IServiceDevices>
{
public:
    CSimDevices();

    HRESULT STDMETHODCALLTYPE Item(long index, VARIANT* pItem);
    HRESULT STDMETHODCALLTYPE Reserved8();
    HRESULT STDMETHODCALLTYPE Count(long* pCount);

protected:
    void* Find(REFIID iid);
    ComObject& Object() { return *this; }
};

class CSimDevice : public SimObject, public ComDispatch<IServiceDevice>
{
public:
    explicit CSimDevice(int device);

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
    HRESULT HandText(const char* operation, const std::string& text, BSTR* pText);
    HRESULT HandValue(const char* operation, long value, long* pValue);
};

class CSimMemory : public SimObject, public ComDispatch<IServiceMemory>
{
public:
    explicit CSimMemory(int device);

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
    // The failure for a location that cannot be read or written, S_OK otherwise.
    HRESULT CheckLocation(long location) const;
};

class CSimDriverSettings : public SimObject, public ComDispatch<IServiceDriverSettings>
{
public:
    explicit CSimDriverSettings(int device);

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
};

class CSimReport : public SimObject,
                   public ComDispatch<IServiceReport>,
                   public ComDispatch<IServiceReportOption>
{
public:
    CSimReport(long number, int device);

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
    bool Offers(bool alternate) const;
    HRESULT Run(bool alternate, long value);
    HRESULT Availability(bool alternate, long* pAvailable);

    long m_number;
};

class CSimAction : public SimObject, public ComDispatch<IServiceAction>
{
public:
    CSimAction(long kind, int device);

    HRESULT STDMETHODCALLTYPE Run();

protected:
    void* Find(REFIID iid);
    ComObject& Object() { return *this; }

private:
    long m_kind;
};

class CSimTasks : public SimObject, public ComDispatch<IServiceTasks>
{
public:
    explicit CSimTasks(int device);

    HRESULT STDMETHODCALLTYPE StartSecondTask();
    HRESULT STDMETHODCALLTYPE Reserved8();
    HRESULT STDMETHODCALLTYPE StartFirstTask();

protected:
    void* Find(REFIID iid);
    ComObject& Object() { return *this; }

private:
    HRESULT StartTask(const char* operation, long counter);
};

class CSimProcedure : public SimObject,
                      public ComDispatch<IServiceProcedure>,
                      public ComDispatch<IServiceProcedureOptions>
{
public:
    // family 'A', 'B', 'C', or 'O' for the option procedure.
    CSimProcedure(char family, long number, int device);

    HRESULT STDMETHODCALLTYPE Start(long value, long* pResult);
    HRESULT STDMETHODCALLTYPE SetOptions(long flags);

protected:
    void* Find(REFIID iid);
    ComObject& Object() { return *this; }

private:
    char m_family;
    long m_number;
    long m_flags;
};

class CSimCommand : public SimObject, public ComDispatch<IServiceCommand>
{
public:
    CSimCommand(long number, int device);

    HRESULT STDMETHODCALLTYPE Perform(long value);

protected:
    void* Find(REFIID iid);
    ComObject& Object() { return *this; }

private:
    long m_number;
};

#endif // SIMULATOR_SIMOBJECTS_H
