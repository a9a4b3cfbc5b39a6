#pragma once
// Settings kept in memory, by key, for tests of what displays load and save.
#include <map>
#include <string>

#include "persistence/Serializater.h"

class MapSerializater : public Serializater {
  public:
    std::string Read(const std::string& name) override {
        const auto found = values.find(name);
        return found == values.end() ? std::string() : found->second;
    }
    int Write(const std::string& name, const std::string& text) override {
        values[name] = text;
        return 1;
    }

    std::map<std::string, std::string> values;
};
