#pragma once
// Waiting on one descriptor until a deadline; shared by the IrDA and serial links.

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <span>
#include <string>

#include "U_irdaplatform.h"

enum class EWait { Ready, TimedOut, Failed };

// Milliseconds left until the deadline, never negative, rounded up so that a wait does not end
// a moment before its deadline.
int MillisecondsUntil(Deadline deadline);

// Waits for the events on fd. Ready also when the peer hung up with data still to read;
// Failed when the descriptor reports an error or a hang-up with nothing left.
EWait WaitFor(int fd, short events, Deadline deadline);

// Waits on a serial line, which runs with CLOCAL and so never hangs up by itself: a hang-up is
// the port gone (an adapter or cable pulled out, the far side of a pseudo-terminal closed),
// even when the line also reads as readable. Failed sets error (EIO for a hang-up).
EWait WaitForLine(int fd, short events, Deadline deadline, int& error);

// Why a line failed, told of named ("ИК-адаптер /dev/ttyUSB0", "Порт /dev/ttyS0"): a device
// gone (EIO, ENXIO, ENODEV) is "… отключён", another error "…: ошибка линии (…)".
std::string LineFailureText(const std::string& named, int error);

// Writes all of bytes to a non-blocking descriptor. Whenever it takes no more, waitWritable()
// says whether to go on (true once it takes more) or give up; a write error gives up at once
// with error set (0 when the wait gave up).
template <class WaitWritable>
bool WriteAll(int fd, std::span<const std::uint8_t> bytes, WaitWritable&& waitWritable,
              int& error) {
    error = 0;
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) {
            error = errno;
            return false;
        }
        if (!waitWritable()) return false;
    }
    return true;
}
