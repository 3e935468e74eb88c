// SimState.h - the state file: memory values and driver settings that
// clients changed, kept across runs (format described in SimState.cpp).
#ifndef SIMULATOR_SIMSTATE_H
#define SIMULATOR_SIMSTATE_H

#include <string>

#include "simulator/SimModel.h"

// DEVICESIM_STATE, else DeviceSim.state beside the DLL.
std::string StatePath();

// Puts the state file's values back into the model. A missing file is no
// error; a corrupt or truncated one is reported and ignored as a whole.
void LoadStateFile(SimModel& model);

// Writes the whole state to <path>.tmp and moves it over <path>. Returns false
// (and reports) when it cannot; the old file then stays as it was.
bool SaveStateFile(const SimModel& model);

// Reads a whole file (up to 64 MiB) into text; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& text, std::string& problem);

#endif // SIMULATOR_SIMSTATE_H
