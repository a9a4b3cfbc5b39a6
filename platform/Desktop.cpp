#include "platform/Desktop.h"

namespace {

Desktop* current = nullptr;

}  // namespace

Desktop* GetCurrentDesktop() {
    return current;
}

void SetCurrentDesktop(Desktop* desktop) {
    current = desktop;
}
