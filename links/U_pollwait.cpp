#include "U_pollwait.h"

#include <cerrno>

#include "U_fileio.h"

int MillisecondsUntil(Deadline deadline) {
    using namespace std::chrono;
    const auto left = deadline - LinkClock::now();
    if (left <= LinkClock::duration::zero()) return 0;
    const auto ms = ceil<milliseconds>(left).count();
    return ms > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(ms);
}

EWait WaitFor(int fd, short events, Deadline deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, MillisecondsUntil(deadline));
        if (n < 0) {
            if (errno == EINTR) continue;
            return EWait::Failed;
        }
        if (n == 0) return EWait::TimedOut;
        if (p.revents & events) return EWait::Ready;
        return EWait::Failed;  // POLLERR, POLLHUP or POLLNVAL without the event asked for
    }
}

EWait WaitForLine(int fd, short events, Deadline deadline, int& error) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, MillisecondsUntil(deadline));
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) return EWait::TimedOut;
        error = n < 0 ? errno : (p.revents & (POLLHUP | POLLERR | POLLNVAL)) ? EIO : 0;
        return error == 0 ? EWait::Ready : EWait::Failed;
    }
}

std::string LineFailureText(const std::string& named, int error) {
    if (error == EIO || error == ENXIO || error == ENODEV) return named + " отключён";
    return named + ": ошибка линии (" + fileio::ErrorText(error) + ")";
}
