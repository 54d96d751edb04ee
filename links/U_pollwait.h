#pragma once
// Waiting on one descriptor until a deadline; shared by the IrDA and serial links.

#include <poll.h>

#include "U_irdaplatform.h"

enum class EWait { Ready, TimedOut, Failed };

// Milliseconds left until the deadline, never negative, rounded up so that a wait does not end
// a moment before its deadline.
int MillisecondsUntil(Deadline deadline);

// Waits for the events on fd. Ready also when the peer hung up with data still to read;
// Failed when the descriptor reports an error or a hang-up with nothing left.
EWait WaitFor(int fd, short events, Deadline deadline);
