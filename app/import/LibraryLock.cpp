#include "LibraryLock.h"

namespace {

// A slim lock needs no set-up and no release, so it is ready before any
// thread could import.
SRWLOCK library = SRWLOCK_INIT;

}  // namespace

LibraryLock::LibraryLock() {
    AcquireSRWLockExclusive(&library);
}

LibraryLock::~LibraryLock() {
    ReleaseSRWLockExclusive(&library);
}
