#pragma once
// The lines of the host's summary that account for a replayed log.
#include <string>

#include "host/NmeaLog.h"

std::string NmeaSummary(const NmeaLog& log);
