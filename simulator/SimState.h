// SimState.h - the simulator's state file: memory values and driver settings
// that clients changed, kept across runs (records described in SimState.cpp;
// the file itself is a ComStateFile, comserver/ComStateFile.h).
#ifndef SIMULATOR_SIMSTATE_H
#define SIMULATOR_SIMSTATE_H

#include "comserver/ComStateFile.h"
#include "simulator/SimModel.h"

// The state file: DEVICESIM_STATE, else
// <local application data>\Device Service\DeviceSim\DeviceSim.state.
ComStateFile SimStateFile();

// Puts the state file's values back into the model. A missing file is no
// error; a corrupt or truncated one is reported and ignored as a whole.
void LoadStateFile(SimModel& model);

// Writes the whole state (whole or not at all). Returns false (and reports)
// when it cannot; the old file then stays as it was.
bool SaveStateFile(const SimModel& model);

#endif // SIMULATOR_SIMSTATE_H
