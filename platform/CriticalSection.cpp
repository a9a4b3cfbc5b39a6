#include "platform/CriticalSection.h"

// The mutex is constructed with the record; initialisation and deletion have
// nothing left to do but are kept for the callers' symmetry.
void InitializeCriticalSection(CRITICAL_SECTION*) {}
void DeleteCriticalSection(CRITICAL_SECTION*) {}
void EnterCriticalSection(CRITICAL_SECTION* section) {
    section->mutex.lock();
}
void LeaveCriticalSection(CRITICAL_SECTION* section) {
    section->mutex.unlock();
}
