// SimState.cpp - the simulator's records in its state file.
//
// The file (written whole or not at all by ComStateFile):
//
//     DeviceSim state 1
//     M <device id> <location> <value>        a memory value that differs from its default
//     S <device id> <setting name> <value>    a driver setting that differs from its default
//     end <record count> <check>
//
// A malformed record breaks the whole file. Records of devices or locations
// that the current fleet does not have are skipped. For tests,
// DEVICESIM_TEST_INTERRUPT_SAVE=<bytes> stops every save after that many
// bytes, as if the process had been killed there.
#include "simulator/SimState.h"

#include "comserver/ComJournal.h"

#include <vector>

namespace {

struct StateRecord
{
    bool memory;
    long id;
    long key;       // location, or setting index
    long value;
};

// Reads one record's words into r; false when they are not a record.
bool ParseRecord(const std::vector<std::string>& w, StateRecord& r)
{
    r.memory = !w.empty() && w[0] == "M";
    const bool setting = !w.empty() && w[0] == "S";
    bool good = w.size() == 4 && (r.memory || setting) && ComParseLong(w[1], r.id)
                && ComParseLong(w[3], r.value);
    if (good && r.memory)
        good = ComParseLong(w[2], r.key) && SimModel::LocationInRange(r.key)
               && r.value >= 0 && r.value <= kMaxValue;
    if (good && setting) {
        r.key = SettingFromName(w[2]);
        good = r.key >= 0;
    }
    return good;
}

} // namespace

ComStateFile SimStateFile()
{
    ComStateFile file("DeviceSim state 1", "DEVICESIM_TEST_INTERRUPT_SAVE");
    file.Locate("DEVICESIM_STATE", "Device Service\\DeviceSim", "DeviceSim.state");
    return file;
}

void LoadStateFile(SimModel& model)
{
    std::vector<StateRecord> records;
    const ComStateFile::LoadResult result = model.state.Load(
        [&records](const std::vector<std::string>& words) {
            StateRecord r;
            if (!ParseRecord(words, r))
                return false;
            records.push_back(r);
            return true;
        });
    if (result != ComStateFile::STATE_LOADED)
        return;
    long skipped = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        const StateRecord& r = records[i];
        const int index = model.FindById(r.id);
        if (index < 0 || (r.memory && !model.LocationAvailable(index, r.key))) {
            ++skipped;
            continue;
        }
        if (r.memory)
            model.devices[index].memory[r.key] = r.value;
        else
            model.devices[index].settings[r.key] = r.value;
    }
    JournalLine(ComFormat("state: %s: %lu records loaded, %ld skipped", model.state.Path().c_str(),
                          static_cast<unsigned long>(records.size() - skipped), skipped));
}

bool SaveStateFile(const SimModel& model)
{
    std::vector<std::string> records;
    for (size_t i = 0; i < model.devices.size(); ++i) {
        const SimDevice& d = model.devices[i];
        for (std::map<long, long>::const_iterator it = d.memory.begin(); it != d.memory.end(); ++it) {
            if (it->second == model.DefaultValue(static_cast<int>(i), it->first))
                continue;
            records.push_back(ComFormat("M %ld %ld %ld", d.id, it->first, it->second));
        }
        for (int which = 0; which < SET_COUNT; ++which) {
            if (d.settings[which] == d.settingDefaults[which])
                continue;
            records.push_back(ComFormat("S %ld %s %ld", d.id, SettingName(which), d.settings[which]));
        }
    }
    return model.state.Save(records);
}
