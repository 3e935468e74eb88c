// SimModel.cpp - SimModel: the fleet, the current device, memory and driver
// settings; the built-in and generated fleets.
#include "simulator/SimModel.h"

#include <utility>

#include "simulator/SimConfig.h"
#include "simulator/SimFaults.h"
#include "comserver/ComJournal.h"
#include "simulator/SimState.h"

namespace {

SimModel* s_model = NULL;

const char* const kSettingNames[SET_COUNT] = {
    "Option1", "Option2", "Option3", "Option4", "Option5", "Option6", "Option7",
    "Option8", "Option9", "Option10", "Option11", "Option12", "Option13",
    "Number", "Choice", "Switch" };

// Report masks: bit r stands for report r (1 to 11).
const unsigned long kAllReports = 0xFFEUL;

unsigned long ReportBit(long report)
{
    return 1UL << report;
}

} // namespace

const char* SettingName(int which)
{
    return (which >= 0 && which < SET_COUNT) ? kSettingNames[which] : NULL;
}

int SettingFromName(const std::string& name)
{
    for (int which = 0; which < SET_COUNT; ++which) {
        if (name == kSettingNames[which])
            return which;
    }
    return -1;
}

SimDevice MakeDevice(long id, long type, const std::string& name)
{
    SimDevice d;
    d.id = id;
    d.type = type;
    d.name = name;
    d.columnText1 = "Local port";
    d.columnText2 = "Ready";
    d.detailText1 = ComFormat("SN %08ld", id);
    d.detailText2 = "Firmware 1.00";
    d.detailText3 = "Not recorded";
    d.detailNumber = 0;
    d.deviceText = name + ": ready";
    d.settingsName = name;
    d.numberMax = 99;
    d.executeMask = kAllReports;
    d.alternateMask = 0;
    d.line = 0;
    d.reportOption = false;
    const unsigned long bits = static_cast<unsigned long>(id) * 2654435761UL;
    for (int which = SET_OPTION1; which <= SET_OPTION13; ++which)
        d.settingDefaults[which] = static_cast<long>((bits >> (which + 7)) & 1UL);
    d.settingDefaults[SET_NUMBER] = 1 + (id < 0 ? -(id % 17) : id % 17);
    d.settingDefaults[SET_CHOICE] = id < 0 ? -(id % 3) : id % 3;
    d.settingDefaults[SET_SWITCH] = (id % 2 == 0) ? 1 : 0;
    for (int which = 0; which < SET_COUNT; ++which)
        d.settings[which] = d.settingDefaults[which];
    return d;
}

void AddBuiltinFleet(std::vector<SimDevice>& fleet)
{
    SimDevice d = MakeDevice(410001, 0, "Front Desk MFP 210");
    d.columnText1 = "USB001";
    d.columnText2 = "Ready";
    d.detailText1 = "SN 210-40017";
    d.detailText2 = "Firmware 2.14.3";
    d.detailText3 = "Front office, ground floor";
    d.detailNumber = 18342;
    d.deviceText = "Front Desk MFP 210: toner 64%, drum 80%";
    d.settingsName = "MFP210@USB001";
    d.numberMax = 99;
    d.alternateMask = ReportBit(2) | ReportBit(5) | ReportBit(7);
    d.unavailable.push_back(std::make_pair(250L, 269L));
    fleet.push_back(d);

    d = MakeDevice(410002, 1, "Workgroup MFP 450");
    d.columnText1 = "192.168.10.45";
    d.columnText2 = "Ready";
    d.detailText1 = "SN 450-11873";
    d.detailText2 = "Firmware 3.02.0";
    d.detailText3 = "Second floor, copy room";
    d.detailNumber = 251907;
    d.deviceText = "Workgroup MFP 450: toner 12% (low), drum 55%";
    d.settingsName = "MFP450@IP_192.168.10.45";
    d.numberMax = 300;
    d.alternateMask = kAllReports & ~ReportBit(11);
    d.unavailable.push_back(std::make_pair(100L, 119L));
    d.unavailable.push_back(std::make_pair(318L, 320L));
    fleet.push_back(d);

    d = MakeDevice(410003, 2, "Fax Centre 300");
    d.columnText1 = "COM2";
    d.columnText2 = "Paper low";
    d.detailText1 = "SN 300-02291";
    d.detailText2 = "Firmware 1.08.7";
    d.detailText3 = "Mail room";
    d.detailNumber = 7730;
    d.deviceText = "Fax Centre 300: line ready, 3 faxes queued";
    d.settingsName = "FAX300@COM2";
    d.numberMax = 50;
    d.executeMask = kAllReports & ~(ReportBit(3) | ReportBit(7));
    d.alternateMask = ReportBit(2);
    d.unavailable.push_back(std::make_pair(160L, 199L));
    fleet.push_back(d);

    d = MakeDevice(410004, 3, "Colour MFP 620");
    d.columnText1 = "USB002";
    d.columnText2 = "Warming up";
    d.detailText1 = "SN 620-70410";
    d.detailText2 = "Firmware 4.11.0";
    d.detailText3 = "Design studio";
    d.detailNumber = 96120;
    d.deviceText = "Colour MFP 620: cyan 40%, magenta 72%, yellow 18%, black 90%";
    d.settingsName = "MFP620@USB002";
    d.numberMax = 999;
    d.executeMask = kAllReports & ~ReportBit(9);
    d.alternateMask = ReportBit(5) | ReportBit(8) | ReportBit(11);
    fleet.push_back(d);

    d = MakeDevice(410005, 4, "Colour Network MFP 720");
    d.columnText1 = "192.168.10.72";
    d.columnText2 = "Ready";
    d.detailText1 = "SN 720-88101";
    d.detailText2 = "Firmware 4.20.2";
    d.detailText3 = "Third floor, east wing";
    d.detailNumber = 413377;
    d.deviceText = "Colour Network MFP 720: all supplies above 50%";
    d.settingsName = "MFP720@IP_192.168.10.72";
    d.numberMax = 500;
    d.alternateMask = kAllReports;
    d.unavailable.push_back(std::make_pair(10L, 29L));
    fleet.push_back(d);

    d = MakeDevice(410006, 5, "Shared Copier 150");
    d.columnText1 = "\\\\PRINTHOST\\COPIER150";
    d.columnText2 = "Offline";
    d.detailText1 = "SN 150-00912";
    d.detailText2 = "Firmware 0.97.1";
    d.detailText3 = "Basement archive";
    d.detailNumber = 1204;
    d.deviceText = "Shared Copier 150: offline since the last restart";
    d.settingsName = "COPIER150@PRINTHOST";
    d.numberMax = 20;
    d.executeMask = ReportBit(1) | ReportBit(2) | ReportBit(10);
    d.alternateMask = 0;
    d.unavailable.push_back(std::make_pair(201L, 299L));
    fleet.push_back(d);
}

void AddGeneratedFleet(std::vector<SimDevice>& fleet, long count)
{
    fleet.reserve(fleet.size() + static_cast<size_t>(count));
    for (long i = 0; i < count; ++i) {
        SimDevice d = MakeDevice(1000001 + i, i % 6, ComFormat("Generated MFP %05ld", i + 1));
        d.columnText1 = ComFormat("10.0.%ld.%ld", (i / 250) % 256, i % 250 + 1);
        d.detailNumber = (i * 7919) % 1000000;
        d.settingsName = ComFormat("GEN%05ld@NET", i + 1);
        fleet.push_back(std::move(d));
    }
}

// ---------------------------------------------------------------------------
// SimModel
// ---------------------------------------------------------------------------

SimModel::SimModel()
    : current(-1), identity(0)
{
}

SimModel& SimModel::Get()
{
    if (s_model == NULL) {
        s_model = new SimModel();
        s_model->Load();
    }
    return *s_model;
}

void SimModel::Unload()
{
    delete s_model;
    s_model = NULL;
    ClearFaults();
}

void SimModel::Load()
{
    configSource = ConfigurationPath();
    if (configSource.empty()) {
        AddBuiltinFleet(devices);
    } else {
        std::string text;
        std::string problem;
        if (ReadWholeFile(configSource, text, problem)) {
            devices = ReadConfiguration(text, configSource);
        } else {
            ComReport("config: " + configSource + ": " + problem + "; using the built-in fleet");
            AddBuiltinFleet(devices);
        }
    }
    for (size_t i = 0; i < devices.size(); ++i)
        idIndex[devices[i].id] = static_cast<int>(i);
    state = SimStateFile();
    LoadStateFile(*this);
    JournalLine(ComFormat("session: config=%s state=%s devices=%lu faults=%ld",
                          configSource.empty() ? "built-in" : configSource.c_str(),
                          state.Path().c_str(), static_cast<unsigned long>(devices.size()),
                          FaultCount()));
}

int SimModel::FindById(long id) const
{
    std::map<long, int>::const_iterator found = idIndex.find(id);
    return found != idIndex.end() ? found->second : -1;
}

int SimModel::FindByItem(long value) const
{
    const int byId = FindById(value);
    if (byId >= 0)
        return byId;
    if (value >= 1 && value <= static_cast<long>(devices.size()))
        return static_cast<int>(value - 1);
    return -1;
}

int SimModel::FindBySettingsName(const std::string& name) const
{
    for (size_t i = 0; i < devices.size(); ++i) {
        if (devices[i].settingsName == name)
            return static_cast<int>(i);
    }
    return -1;
}

void SimModel::MakeCurrent(int index)
{
    if (index == current)
        return;
    current = index;
    ++identity;
    if (identity == 0)
        identity = 1;
}

bool SimModel::LocationInRange(long location)
{
    return location >= kFirstLocation && location <= kLastLocation;
}

bool SimModel::LocationAvailable(int index, long location) const
{
    if (index < 0 || index >= static_cast<int>(devices.size()) || !LocationInRange(location))
        return false;
    const std::vector<std::pair<long, long> >& ranges = devices[index].unavailable;
    for (size_t i = 0; i < ranges.size(); ++i) {
        if (location >= ranges[i].first && location <= ranges[i].second)
            return false;
    }
    return true;
}

long SimModel::DefaultValue(int index, long location) const
{
    const SimDevice& d = devices[index];
    std::map<long, long>::const_iterator found = d.memoryDefaults.find(location);
    if (found != d.memoryDefaults.end())
        return found->second;
    if (location >= kCounterAction1 && location <= kCounterCommand)
        return 0;
    const unsigned long h = static_cast<unsigned long>(location + 1) * 2654435761UL
                            ^ static_cast<unsigned long>(d.id) * 40503UL;
    if (location % 16 == 0)
        return static_cast<long>((h >> 8) % 65536UL);
    return static_cast<long>((h >> 8) % 1000UL);
}

long SimModel::Value(int index, long location) const
{
    const SimDevice& d = devices[index];
    std::map<long, long>::const_iterator found = d.memory.find(location);
    return found != d.memory.end() ? found->second : DefaultValue(index, location);
}

void SimModel::WriteValue(int index, long location, long value)
{
    devices[index].memory[location] = value;
    SaveState();
}

long SimModel::Bump(int index, long location)
{
    if (!LocationAvailable(index, location))
        return 0;
    const long value = (Value(index, location) + 1) % (kMaxValue + 1);
    WriteValue(index, location, value);
    return value;
}

long SimModel::Setting(int index, int which) const
{
    return devices[index].settings[which];
}

void SimModel::SetSetting(int index, int which, long value)
{
    if (devices[index].settings[which] == value)
        return;
    devices[index].settings[which] = value;
    SaveState();
}

void SimModel::SaveState() const
{
    SaveStateFile(*this);
}
