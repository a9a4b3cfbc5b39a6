#include "echo/EtrSweepRecorderClient.h"

#include "echo/EtrSweepRecorder.h"

std::int32_t EtrSweepRecorderClient::ReceiveSweeps(double x) {
    std::vector<ZxEtrEcho> sweeps;
    DrainSweeps(sweeps);
    const auto count = static_cast<std::int32_t>(sweeps.size());
    DeliverSweeps(sweeps, x);
    return count;
}
