// LocalSettings.h - the driver settings with no IPP counterpart, kept per
// printer (by its URI) in the service's state file:
//
//     DeviceIpp state 1
//     S <printer uri> <setting name> <value>
//     end <record count> <check>
//
// Only values that differ from their documented default are written. The file
// is DEVICEIPP_STATE, else %LOCALAPPDATA%\Device Service\DeviceIpp\DeviceIpp.state,
// written whole or not at all (comserver/ComStateFile.h). Used on the
// client's thread only.
#ifndef DEVICEIPP_LOCALSETTINGS_H
#define DEVICEIPP_LOCALSETTINGS_H

#include <windows.h>

#include <map>
#include <string>

#include "comserver/ComStateFile.h"

class LocalSettings
{
public:
    LocalSettings();

    // Locates and reads the state file (a broken file is reported and ignored).
    void Load();
    const std::string& Path() const { return m_file.Path(); }

    // The kept value, else the setting's default.
    long Get(const std::string& uri, int which) const;
    // Keeps the value and saves the file: S_OK, or DEVIPP_E_NOTSAVED when the
    // file could not be written (the value holds for this session).
    HRESULT Set(const std::string& uri, int which, long value);

private:
    ComStateFile m_file;
    std::map<std::pair<std::string, int>, long> m_values;
};

#endif // DEVICEIPP_LOCALSETTINGS_H
