#pragma once
// What drains the sweep recorder: ReceiveSweeps takes every queued sweep out
// and hands the batch to DeliverSweeps. The slot order is fixed.
#include <cstdint>
#include <vector>

#include "echo/ZxEtrEcho.h"

class EtrSweepRecorderClient {
  public:
    // Drains the process-wide recorder; the number of sweeps delivered.
    virtual std::int32_t ReceiveSweeps(double x);
    virtual void DeliverSweeps(std::vector<ZxEtrEcho>& sweeps, double x) = 0;

  protected:
    ~EtrSweepRecorderClient() = default;
};
