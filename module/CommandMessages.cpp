#include "module/CommandMessages.h"

#include "platform/WindowMessages.h"

namespace {

struct Registered {
    UINT execute;
    UINT state;
};

// Registered on first use, whichever comes first: the load-time
// initialiser below or a caller's static initialiser in another file.
const Registered& Messages() {
    static const Registered messages{RegisterWindowMessageA(kExecuteCommandMessageName),
                                     RegisterWindowMessageA(kCommandStateMessageName)};
    return messages;
}

[[maybe_unused]] const Registered& registeredAtLoad = Messages();

}  // namespace

UINT CommandMessages::Execute() {
    return Messages().execute;
}

UINT CommandMessages::State() {
    return Messages().state;
}
