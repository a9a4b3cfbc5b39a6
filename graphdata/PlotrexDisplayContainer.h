#pragma once
#include <vector>

class PlotrexDisplay;

// The displays of one graph; the graph data object owns them, not the container.
class PlotrexDisplayContainer : public std::vector<PlotrexDisplay*> {
  public:
    virtual ~PlotrexDisplayContainer() = default;
};
