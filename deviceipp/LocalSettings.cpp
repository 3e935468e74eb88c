// LocalSettings.cpp - the state file of the settings the service keeps itself.
#include "deviceipp/LocalSettings.h"

#include "comserver/ComJournal.h"
#include "deviceipp/DeviceIppResults.h"
#include "deviceipp/SettingsMap.h"

#include <vector>

LocalSettings::LocalSettings()
    : m_file("DeviceIpp state 1", "DEVICEIPP_TEST_INTERRUPT_SAVE")
{
}

void LocalSettings::Load()
{
    m_values.clear();
    m_file.Locate("DEVICEIPP_STATE", "Device Service\\DeviceIpp", "DeviceIpp.state");
    std::map<std::pair<std::string, int>, long> read;
    const ComStateFile::LoadResult result = m_file.Load([&read](const std::vector<std::string>& w) {
        long value = 0;
        if (w.size() != 4 || w[0] != "S" || !ComParseLong(w[3], value))
            return false;
        const int which = SettingFromName(w[2]);
        if (which < 0 || IsPrinterSetting(which))
            return false;
        read[std::make_pair(w[1], which)] = value;
        return true;
    });
    if (result == ComStateFile::STATE_LOADED)
        m_values = read;
    JournalLine(ComFormat("session: state %s: %s, %lu values", JournalText(m_file.Path()).c_str(),
                          result == ComStateFile::STATE_LOADED    ? "loaded"
                          : result == ComStateFile::STATE_MISSING ? "none yet"
                                                                  : "ignored",
                          static_cast<unsigned long>(m_values.size())));
}

long LocalSettings::Get(const std::string& uri, int which) const
{
    std::map<std::pair<std::string, int>, long>::const_iterator found =
        m_values.find(std::make_pair(uri, which));
    return found != m_values.end() ? found->second : DefaultSetting(which, NULL);
}

HRESULT LocalSettings::Set(const std::string& uri, int which, long value)
{
    const std::pair<std::string, int> key(uri, which);
    if (Get(uri, which) == value)
        return S_OK;
    if (value == DefaultSetting(which, NULL))
        m_values.erase(key);
    else
        m_values[key] = value;
    std::vector<std::string> records;
    for (std::map<std::pair<std::string, int>, long>::const_iterator i = m_values.begin();
         i != m_values.end(); ++i)
        records.push_back(ComFormat("S %s %s %ld", i->first.first.c_str(), SettingName(i->first.second),
                                    i->second));
    return m_file.Save(records) ? S_OK : DEVIPP_E_NOTSAVED;
}
