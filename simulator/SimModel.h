// SimModel.h - SimDevice and SimModel: the simulated fleet and what clients
// changed on it.
//
// The model is made on first use (when the first simulator object is created):
// the fleet comes from the configuration (SimConfig.cpp) or the built-in list,
// then the state file (SimState.cpp) puts back the memory values and driver
// settings that clients wrote in earlier runs. It lives until the DLL unloads.
// Everything runs on the client's one thread (apartment threading).
#ifndef SIMULATOR_SIMMODEL_H
#define SIMULATOR_SIMMODEL_H

#include <windows.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "comserver/ComStateFile.h"

// The sixteen driver settings, in the order the state file and journal use.
enum SimSetting
{
    SET_OPTION1 = 0,   // Option1 .. Option13 are 0 .. 12
    SET_OPTION13 = 12,
    SET_NUMBER = 13,
    SET_CHOICE = 14,
    SET_SWITCH = 15,
    SET_COUNT = 16
};

// "Option1" .. "Option13", "Number", "Choice", "Switch"; -1 / NULL when unknown.
const char* SettingName(int which);
int SettingFromName(const std::string& name);

// The memory location range and the value range.
const long kFirstLocation = 0;
const long kLastLocation = 320;
const long kLocationCount = kLastLocation - kFirstLocation + 1;
const long kMaxValue = 65535;

// Counter locations that the device's work bumps by one (wrapping at 65536),
// so a client sees its commands in memory as well as in the journal.
const long kCounterAction1 = 300;
const long kCounterAction2 = 301;
const long kCounterFirstTask = 302;
const long kCounterSecondTask = 303;
const long kCounterExecute = 304;
const long kCounterExecuteAlternate = 305;
const long kCounterProcedure = 306;
const long kCounterCommand = 307;

// Reports are numbered 1 to 11; report 11 has the on/off option.
const long kFirstReport = 1;
const long kLastReport = 11;
const long kOptionReport = 11;

struct SimDevice
{
    // What the configuration gives.
    long id;
    long type;
    std::string name;
    std::string columnText1;
    std::string columnText2;
    std::string detailText1;
    std::string detailText2;
    std::string detailText3;
    long detailNumber;
    std::string deviceText;
    std::string settingsName;       // the name SetDevice takes
    long numberMax;
    unsigned long executeMask;      // bit r set: report r offers Execute
    unsigned long alternateMask;    // bit r set: report r offers ExecuteAlternate
    std::vector<std::pair<long, long> > unavailable;  // inclusive location ranges
    std::map<long, long> memoryDefaults;             // defaults that differ from the computed ones
    long settingDefaults[SET_COUNT];
    int line;                       // configuration line, 0 for built-in devices

    // What clients changed.
    std::map<long, long> memory;    // written locations only
    long settings[SET_COUNT];
    bool reportOption;              // report 11's option
};

// Makes a device with derived texts and defaults; the caller overrides fields.
SimDevice MakeDevice(long id, long type, const std::string& name);

// The six built-in devices (types 0 to 5) and a generated fleet of any size.
void AddBuiltinFleet(std::vector<SimDevice>& fleet);
void AddGeneratedFleet(std::vector<SimDevice>& fleet, long count);

class SimModel
{
public:
    // The model, loaded on first use.
    static SimModel& Get();
    // Drops the model (at unload); the next Get() loads afresh.
    static void Unload();

    std::vector<SimDevice> devices;
    std::map<long, int> idIndex;    // device id to fleet index
    int current;            // index of the current device, -1 for none
    long identity;          // 0 until a device is made current; +1 at each change
    std::string configSource;
    ComStateFile state;     // where clients' changes are kept

    int FindById(long id) const;
    // Item's lookup: a device id first, else a 1-based position; -1 when neither.
    int FindByItem(long value) const;
    int FindBySettingsName(const std::string& name) const;

    // Makes device `index` current; the identity changes when the device does.
    void MakeCurrent(int index);

    static bool LocationInRange(long location);
    bool LocationAvailable(int index, long location) const;
    long DefaultValue(int index, long location) const;
    long Value(int index, long location) const;
    // Stores a value (range and availability checked by the caller) and saves.
    void WriteValue(int index, long location, long value);
    // Adds one to an available counter location (wrapping at 65536) and saves;
    // returns the new value, 0 when the location is unavailable.
    long Bump(int index, long location);

    long Setting(int index, int which) const;
    // Stores a setting; saves when the value changed.
    void SetSetting(int index, int which, long value);

    // Writes the state file (whole or not at all).
    void SaveState() const;

private:
    SimModel();
    void Load();
};

#endif // SIMULATOR_SIMMODEL_H
