// SimConfig.h - the configuration reader (format described in SimConfig.cpp
// and README.md).
#ifndef SIMULATOR_SIMCONFIG_H
#define SIMULATOR_SIMCONFIG_H

#include <string>
#include <vector>

#include "simulator/SimModel.h"

// Reads the configuration text into a fleet and the fault table. Malformed
// lines are skipped and reported with their line number; `source` names the
// file in those reports. Returns the fleet (the built-in fleet when the text
// adds no device and does not ask for an empty fleet).
std::vector<SimDevice> ReadConfiguration(const std::string& text, const std::string& source);

// The configuration file to use: DEVICESIM_CONFIG, else DeviceSim.ini beside
// the DLL when it exists, else "" (the built-in fleet).
std::string ConfigurationPath();

#endif // SIMULATOR_SIMCONFIG_H
