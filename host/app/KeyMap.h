#pragma once
// What the keys do in the window: one entry per key, with what it is for.
// Keys come as characters ('^' and 'v' for the arrows up and down).
#include <functional>
#include <vector>

#include "host/app/RunParts.h"

struct KeyBinding {
    int key;
    const char* what;
    std::function<void()> act;
};

class KeyMap {
  public:
    explicit KeyMap(RunParts& parts);

    // Carries out the key's action; false for a key without one.
    bool Press(int key) const;
    const std::vector<KeyBinding>& Bindings() const { return bindings_; }

  private:
    std::vector<KeyBinding> bindings_;
};
