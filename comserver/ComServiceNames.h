// ComServiceNames.h - the device service's class and interfaces by their
// names, for the journals of the servers that implement it (the simulator and
// the IPP service serve the same class and interfaces).
#pragma once

#include "comserver/ComServer.h"

// Ended by { NULL, NULL }, as ComServerInfo::names wants.
extern const ComNamedIid kDeviceServiceNames[];
