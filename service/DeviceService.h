// DeviceService.h - the device service contract.
//
// Interfaces: IDeviceService, IServiceDevices, IServiceDevice, IServiceReport,
// IServiceReportOption, IServiceAction, IServiceMemory, IServiceDriverSettings,
// IServiceTasks, IServiceProcedure, IServiceProcedureOptions, IServiceCommand.
//
// The device service is an in-process COM component that does all device work.
// Every interface derives from IDispatch and is declared here in method-table
// order: positions count from 0 with IUnknown's three methods, IDispatch's four
// are 3 to 6, so the first own method sits at position 7. A position that the
// application never calls is still declared, as Reserved<position>(), so that
// every named operation keeps exactly its position. The comment beside each
// method is its position.
//
// Every operation returns an HRESULT; negative means failure. Numbers are long,
// flags are long 0/1, strings come out as BSTRs that the caller frees with
// SysFreeString, and a Get operation hands out an IUnknown of a new object that
// the caller queries for one of the interfaces below, uses and releases (the
// queried interface first, then the object).
#ifndef SERVICE_DEVICESERVICE_H
#define SERVICE_DEVICESERVICE_H

#include <windows.h>
#include <ole2.h>
#include <oaidl.h>

#include "service/ServiceIds.h"

// ---------------------------------------------------------------------------
// IDeviceService: the main interface; keeps the current device and hands out
// the objects that do the work.
// ---------------------------------------------------------------------------
struct IDeviceService : public IDispatch
{
    virtual HRESULT STDMETHODCALLTYPE Reserved7() = 0;                                     // 7
    virtual HRESULT STDMETHODCALLTYPE Reserved8() = 0;                                     // 8
    virtual HRESULT STDMETHODCALLTYPE Reserved9() = 0;                                     // 9
    virtual HRESULT STDMETHODCALLTYPE Reserved10() = 0;                                    // 10
    // Hands out the devices collection (query it for IServiceDevices).
    virtual HRESULT STDMETHODCALLTYPE GetDevices(IUnknown** ppDevices) = 0;                // 11
    virtual HRESULT STDMETHODCALLTYPE Reserved12() = 0;                                    // 12
    // Returns an identity that changes whenever another device becomes current;
    // 0 while no device is current.
    virtual HRESULT STDMETHODCALLTYPE GetCurrentDevice(long* pIdentity) = 0;               // 13
    // Makes the device with this device id the current device.
    virtual HRESULT STDMETHODCALLTYPE SetCurrentDevice(long deviceId) = 0;                 // 14
    // Settings set 1 hands out the memory object (IServiceMemory), set 2 the
    // driver settings object (IServiceDriverSettings).
    virtual HRESULT STDMETHODCALLTYPE GetSettings(long settingsSet, IUnknown** ppSettings) = 0; // 15
    // Hands out the option procedure (IServiceProcedure, IServiceProcedureOptions).
    virtual HRESULT STDMETHODCALLTYPE GetOptionProcedure(long number, IUnknown** ppProcedure) = 0; // 16
    // Hands out a report object (IServiceReport; report 11 also IServiceReportOption).
    virtual HRESULT STDMETHODCALLTYPE GetReport(long number, IUnknown** ppReport) = 0;     // 17
    // Hands out a maintenance action object (IServiceAction).
    virtual HRESULT STDMETHODCALLTYPE GetAction(long kind, IUnknown** ppAction) = 0;       // 18
    // Hands out the device tasks object (IServiceTasks).
    virtual HRESULT STDMETHODCALLTYPE GetDeviceTasks(IUnknown** ppTasks) = 0;              // 19
    // Hands out a command object (IServiceCommand).
    virtual HRESULT STDMETHODCALLTYPE GetCommand(long number, IUnknown** ppCommand) = 0;   // 20
    virtual HRESULT STDMETHODCALLTYPE Reserved21() = 0;                                    // 21
    virtual HRESULT STDMETHODCALLTYPE Reserved22() = 0;                                    // 22
    virtual HRESULT STDMETHODCALLTYPE Reserved23() = 0;                                    // 23
    virtual HRESULT STDMETHODCALLTYPE Reserved24() = 0;                                    // 24
    // Hand out procedure objects of the three procedure families (IServiceProcedure).
    virtual HRESULT STDMETHODCALLTYPE GetProcedureA(long number, IUnknown** ppProcedure) = 0; // 25
    virtual HRESULT STDMETHODCALLTYPE GetProcedureB(long number, IUnknown** ppProcedure) = 0; // 26
    virtual HRESULT STDMETHODCALLTYPE GetProcedureC(long number, IUnknown** ppProcedure) = 0; // 27
    virtual HRESULT STDMETHODCALLTYPE Reserved28() = 0;                                    // 28
    virtual HRESULT STDMETHODCALLTYPE Reserved29() = 0;                                    // 29
    // Returns the name that IServiceDriverSettings::SetDevice takes for the current device.
    virtual HRESULT STDMETHODCALLTYPE GetSettingsDeviceName(BSTR* pName) = 0;              // 30
    virtual HRESULT STDMETHODCALLTYPE Reserved31() = 0;                                    // 31
    virtual HRESULT STDMETHODCALLTYPE Reserved32() = 0;                                    // 32
    virtual HRESULT STDMETHODCALLTYPE Reserved33() = 0;                                    // 33
    // Returns a text of the current device.
    virtual HRESULT STDMETHODCALLTYPE GetDeviceText(BSTR* pText) = 0;                      // 34
    virtual HRESULT STDMETHODCALLTYPE Reserved35() = 0;                                    // 35
    // Returns the name of the current device.
    virtual HRESULT STDMETHODCALLTYPE GetCurrentDeviceName(BSTR* pName) = 0;               // 36
};

// ---------------------------------------------------------------------------
// IServiceDevices: the devices collection.
// ---------------------------------------------------------------------------
struct IServiceDevices : public IDispatch
{
    // Takes a 1-based position or a device id; the VARIANT receives the device
    // object as VT_DISPATCH (query it for IServiceDevice).
    virtual HRESULT STDMETHODCALLTYPE Item(long index, VARIANT* pItem) = 0;                // 7
    virtual HRESULT STDMETHODCALLTYPE Reserved8() = 0;                                     // 8
    virtual HRESULT STDMETHODCALLTYPE Count(long* pCount) = 0;                             // 9
};

// ---------------------------------------------------------------------------
// IServiceDevice: one device of the collection; each operation hands out one value.
// ---------------------------------------------------------------------------
struct IServiceDevice : public IDispatch
{
    virtual HRESULT STDMETHODCALLTYPE Reserved7() = 0;                                     // 7
    virtual HRESULT STDMETHODCALLTYPE ColumnText1(BSTR* pText) = 0;                        // 8
    virtual HRESULT STDMETHODCALLTYPE ColumnText2(BSTR* pText) = 0;                        // 9
    virtual HRESULT STDMETHODCALLTYPE Name(BSTR* pName) = 0;                               // 10
    virtual HRESULT STDMETHODCALLTYPE Reserved11() = 0;                                    // 11
    virtual HRESULT STDMETHODCALLTYPE Id(long* pId) = 0;                                   // 12
    virtual HRESULT STDMETHODCALLTYPE DetailText3(BSTR* pText) = 0;                        // 13
    virtual HRESULT STDMETHODCALLTYPE DetailNumber(long* pNumber) = 0;                     // 14
    virtual HRESULT STDMETHODCALLTYPE DetailText2(BSTR* pText) = 0;                        // 15
    virtual HRESULT STDMETHODCALLTYPE DetailText1(BSTR* pText) = 0;                        // 16
    // Device type 0 to 5.
    virtual HRESULT STDMETHODCALLTYPE Type(long* pType) = 0;                               // 17
};

// ---------------------------------------------------------------------------
// IServiceReport: the two commands of a report and their availability.
// ---------------------------------------------------------------------------
struct IServiceReport : public IDispatch
{
    virtual HRESULT STDMETHODCALLTYPE Reserved7() = 0;                                     // 7
    virtual HRESULT STDMETHODCALLTYPE ExecuteAlternate(long value) = 0;                    // 8
    virtual HRESULT STDMETHODCALLTYPE Execute(long value) = 0;                             // 9
    virtual HRESULT STDMETHODCALLTYPE Reserved10() = 0;                                    // 10
    // Flag: 1 when ExecuteAlternate is available for this report.
    virtual HRESULT STDMETHODCALLTYPE CanExecuteAlternate(long* pAvailable) = 0;           // 11
    // Flag: 1 when Execute is available for this report.
    virtual HRESULT STDMETHODCALLTYPE CanExecute(long* pAvailable) = 0;                    // 12
};

// ---------------------------------------------------------------------------
// IServiceReportOption: the on/off option of a report.
// ---------------------------------------------------------------------------
struct IServiceReportOption : public IDispatch
{
    virtual HRESULT STDMETHODCALLTYPE Reserved7() = 0;                                     // 7
    // Flag 0 or 1.
    virtual HRESULT STDMETHODCALLTYPE SetReportOption(long enabled) = 0;                   // 8
};

// ---------------------------------------------------------------------------
// IServiceAction: a maintenance action.
// ---------------------------------------------------------------------------
struct IServiceAction : public IDispatch
{
    virtual HRESULT STDMETHODCALLTYPE Run() = 0;                                           // 7
};

// ---------------------------------------------------------------------------
// IServiceMemory: numbered value locations of the current device (0 to 320).
// ---------------------------------------------------------------------------
struct IServiceMemory : public IDispatch
{
    virtual HRESULT STDMETHODCALLTYPE Reserved7() = 0;                                     // 7
    virtual HRESULT STDMETHODCALLTYPE Reserved8() = 0;                                     // 8
    virtual HRESULT STDMETHODCALLTYPE Reserved9() = 0;                                     // 9
    // The VARIANT receives the value as VT_I4.
    virtual HRESULT STDMETHODCALLTYPE ReadValue(long location, VARIANT* pValue) = 0;       // 10
    // The VARIANT is passed by value and holds the new value (VT_I4).
    virtual HRESULT STDMETHODCALLTYPE WriteValue(long location, VARIANT value) = 0;        // 11
    // The VARIANT receives the location's default value as VT_I4.
    virtual HRESULT STDMETHODCALLTYPE GetDefaultValue(long location, VARIANT* pValue) = 0; // 12
    virtual HRESULT STDMETHODCALLTYPE Reserved13() = 0;                                    // 13
    virtual HRESULT STDMETHODCALLTYPE Reserved14() = 0;                                    // 14
    // Flag: 1 when the location exists on the device.
    virtual HRESULT STDMETHODCALLTYPE IsValidLocation(long location, long* pValid) = 0;    // 15
};

// ---------------------------------------------------------------------------
// IServiceDriverSettings: the sixteen driver settings of one device.
// Getters and default getters take one out value, setters one value. Choice is
// set as a 16-bit value; its getters write 32 bits of which callers use the
// low 16. NumberMax has only a getter.
// ---------------------------------------------------------------------------
struct IServiceDriverSettings : public IDispatch
{
    virtual HRESULT STDMETHODCALLTYPE GetOption13(long* pValue) = 0;                       // 7
    virtual HRESULT STDMETHODCALLTYPE SetOption13(long value) = 0;                         // 8
    virtual HRESULT STDMETHODCALLTYPE GetOption4(long* pValue) = 0;                        // 9
    virtual HRESULT STDMETHODCALLTYPE SetOption4(long value) = 0;                          // 10
    virtual HRESULT STDMETHODCALLTYPE GetOption11(long* pValue) = 0;                       // 11
    virtual HRESULT STDMETHODCALLTYPE SetOption11(long value) = 0;                         // 12
    virtual HRESULT STDMETHODCALLTYPE GetOption2(long* pValue) = 0;                        // 13
    virtual HRESULT STDMETHODCALLTYPE SetOption2(long value) = 0;                          // 14
    virtual HRESULT STDMETHODCALLTYPE GetOption1(long* pValue) = 0;                        // 15
    virtual HRESULT STDMETHODCALLTYPE SetOption1(long value) = 0;                          // 16
    virtual HRESULT STDMETHODCALLTYPE GetOption3(long* pValue) = 0;                        // 17
    virtual HRESULT STDMETHODCALLTYPE SetOption3(long value) = 0;                          // 18
    virtual HRESULT STDMETHODCALLTYPE GetOption5(long* pValue) = 0;                        // 19
    virtual HRESULT STDMETHODCALLTYPE SetOption5(long value) = 0;                          // 20
    virtual HRESULT STDMETHODCALLTYPE GetOption6(long* pValue) = 0;                        // 21
    virtual HRESULT STDMETHODCALLTYPE SetOption6(long value) = 0;                          // 22
    virtual HRESULT STDMETHODCALLTYPE Reserved23() = 0;                                    // 23
    virtual HRESULT STDMETHODCALLTYPE Reserved24() = 0;                                    // 24
    virtual HRESULT STDMETHODCALLTYPE GetOption10(long* pValue) = 0;                       // 25
    virtual HRESULT STDMETHODCALLTYPE SetOption10(long value) = 0;                         // 26
    virtual HRESULT STDMETHODCALLTYPE Reserved27() = 0;                                    // 27
    virtual HRESULT STDMETHODCALLTYPE Reserved28() = 0;                                    // 28
    virtual HRESULT STDMETHODCALLTYPE GetOption12(long* pValue) = 0;                       // 29
    virtual HRESULT STDMETHODCALLTYPE SetOption12(long value) = 0;                         // 30
    virtual HRESULT STDMETHODCALLTYPE GetNumber(long* pValue) = 0;                         // 31
    virtual HRESULT STDMETHODCALLTYPE SetNumber(long value) = 0;                           // 32
    virtual HRESULT STDMETHODCALLTYPE GetNumberMax(long* pValue) = 0;                      // 33
    virtual HRESULT STDMETHODCALLTYPE GetChoice(long* pValue) = 0;                         // 34
    virtual HRESULT STDMETHODCALLTYPE SetChoice(short value) = 0;                          // 35
    virtual HRESULT STDMETHODCALLTYPE GetSwitch(long* pValue) = 0;                         // 36
    virtual HRESULT STDMETHODCALLTYPE SetSwitch(long value) = 0;                           // 37
    virtual HRESULT STDMETHODCALLTYPE GetOption9(long* pValue) = 0;                        // 38
    virtual HRESULT STDMETHODCALLTYPE SetOption9(long value) = 0;                          // 39
    virtual HRESULT STDMETHODCALLTYPE GetOption7(long* pValue) = 0;                        // 40
    virtual HRESULT STDMETHODCALLTYPE SetOption7(long value) = 0;                          // 41
    virtual HRESULT STDMETHODCALLTYPE GetOption8(long* pValue) = 0;                        // 42
    virtual HRESULT STDMETHODCALLTYPE SetOption8(long value) = 0;                          // 43
    virtual HRESULT STDMETHODCALLTYPE GetDefaultOption13(long* pValue) = 0;                // 44
    virtual HRESULT STDMETHODCALLTYPE GetDefaultOption4(long* pValue) = 0;                 // 45
    virtual HRESULT STDMETHODCALLTYPE GetDefaultOption11(long* pValue) = 0;                // 46
    virtual HRESULT STDMETHODCALLTYPE GetDefaultOption2(long* pValue) = 0;                 // 47
    virtual HRESULT STDMETHODCALLTYPE GetDefaultOption1(long* pValue) = 0;                 // 48
    virtual HRESULT STDMETHODCALLTYPE GetDefaultOption3(long* pValue) = 0;                 // 49
    virtual HRESULT STDMETHODCALLTYPE GetDefaultOption5(long* pValue) = 0;                 // 50
    virtual HRESULT STDMETHODCALLTYPE GetDefaultOption6(long* pValue) = 0;                 // 51
    virtual HRESULT STDMETHODCALLTYPE Reserved52() = 0;                                    // 52
    virtual HRESULT STDMETHODCALLTYPE GetDefaultOption10(long* pValue) = 0;                // 53
    virtual HRESULT STDMETHODCALLTYPE Reserved54() = 0;                                    // 54
    virtual HRESULT STDMETHODCALLTYPE GetDefaultNumber(long* pValue) = 0;                  // 55
    virtual HRESULT STDMETHODCALLTYPE GetDefaultChoice(long* pValue) = 0;                  // 56
    virtual HRESULT STDMETHODCALLTYPE GetDefaultSwitch(long* pValue) = 0;                  // 57
    virtual HRESULT STDMETHODCALLTYPE GetDefaultOption9(long* pValue) = 0;                 // 58
    virtual HRESULT STDMETHODCALLTYPE GetDefaultOption7(long* pValue) = 0;                 // 59
    virtual HRESULT STDMETHODCALLTYPE GetDefaultOption8(long* pValue) = 0;                 // 60
    virtual HRESULT STDMETHODCALLTYPE Reserved61() = 0;                                    // 61
    // Points the object at the device that GetSettingsDeviceName named.
    virtual HRESULT STDMETHODCALLTYPE SetDevice(BSTR deviceName) = 0;                      // 62
    virtual HRESULT STDMETHODCALLTYPE GetDefaultOption12(long* pValue) = 0;                // 63
};

// ---------------------------------------------------------------------------
// IServiceTasks: the two device tasks.
// ---------------------------------------------------------------------------
struct IServiceTasks : public IDispatch
{
    virtual HRESULT STDMETHODCALLTYPE StartSecondTask() = 0;                               // 7
    virtual HRESULT STDMETHODCALLTYPE Reserved8() = 0;                                     // 8
    virtual HRESULT STDMETHODCALLTYPE StartFirstTask() = 0;                                // 9
};

// ---------------------------------------------------------------------------
// IServiceProcedure: a numbered device procedure.
// ---------------------------------------------------------------------------
struct IServiceProcedure : public IDispatch
{
    // Takes 0; returns the procedure's result.
    virtual HRESULT STDMETHODCALLTYPE Start(long value, long* pResult) = 0;                // 7
};

// ---------------------------------------------------------------------------
// IServiceProcedureOptions: options of the option procedure.
// ---------------------------------------------------------------------------
struct IServiceProcedureOptions : public IDispatch
{
    // Bit 0 = first option, bit 1 = second option.
    virtual HRESULT STDMETHODCALLTYPE SetOptions(long flags) = 0;                          // 7
};

// ---------------------------------------------------------------------------
// IServiceCommand: a numbered device command.
// ---------------------------------------------------------------------------
struct IServiceCommand : public IDispatch
{
    // Takes 0.
    virtual HRESULT STDMETHODCALLTYPE Perform(long value) = 0;                             // 7
};

// The process-wide device service pointer: set by the application at start-up,
// NULL until then; every caller tests it for NULL before each use.
extern IDeviceService* g_pDeviceService;

#endif // SERVICE_DEVICESERVICE_H
