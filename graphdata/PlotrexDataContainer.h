#pragma once
// The graph data objects in registration order, found by name key. The
// container does not own them.
#include <map>
#include <string>
#include <vector>

class PlotrexData;

class PlotrexDataContainer : public std::vector<PlotrexData*> {
  public:
    virtual ~PlotrexDataContainer() = default;

    // Appends; a second object under a name already known is iterated but not found.
    void Add(PlotrexData* data);
    PlotrexData* GetData(const char* nameKey) const;
    // Forgets every entry (deletes nothing).
    void Clear();

  private:
    std::map<std::string, PlotrexData*> byName_;
};
