#pragma once
// The lines of the host's summary that account for a replayed log.
#include <string>

#include "host/replay/NmeaLog.h"

std::string NmeaSummary(const NmeaLog& log);
