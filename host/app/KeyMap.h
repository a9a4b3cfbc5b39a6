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
    // Whether the key changes what a replay sails, not only how it looks:
    // the display mode and the graphs shown decide which depths ahead the
    // module asks for, and so the shallow-water warnings.
    static bool ChangesWhatIsSailed(int key) { return key == 'm' || (key >= '1' && key <= '8'); }

  private:
    std::vector<KeyBinding> bindings_;
};
