#include "U_kernelcalls.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <mutex>

namespace {

long Result(long rc) {
    return rc < 0 ? -errno : rc;
}

extern "C" void OnCallAlarm(int) {}

// Interrupts a call of this thread that is still waiting in the kernel when its time is up: a
// timer sends the thread a signal whose handler does nothing and does not restart the call.
// The signal comes again every little while, in case the first came before the call waited.
class CCallAlarm {
  public:
    explicit CCallAlarm(int timeoutMs)
        : end_(std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs)) {
        static std::once_flag installed;
        std::call_once(installed, [] {
            struct sigaction action {};
            action.sa_handler = OnCallAlarm;
            sigemptyset(&action.sa_mask);
            action.sa_flags = 0;  // no SA_RESTART: the waiting call ends
            ::sigaction(Signal(), &action, nullptr);
        });
        sigevent event{};
        event.sigev_notify = SIGEV_THREAD_ID;
        event.sigev_signo = Signal();
        event._sigev_un._tid = ::gettid();  // glibc names no accessor for it
        if (::timer_create(CLOCK_MONOTONIC, &event, &timer_) != 0) return;
        armed_ = true;
        itimerspec timing{};
        const int first = timeoutMs > 0 ? timeoutMs : 1;
        timing.it_value = {first / 1000, (first % 1000) * 1000000L};
        timing.it_interval = {0, 50 * 1000000L};
        ::timer_settime(timer_, 0, &timing, nullptr);
    }
    ~CCallAlarm() {
        if (armed_) ::timer_delete(timer_);
    }
    CCallAlarm(const CCallAlarm&) = delete;
    CCallAlarm& operator=(const CCallAlarm&) = delete;

    // A failed call after the time was up failed because of it.
    long Outcome(long rc) const {
        return rc < 0 && std::chrono::steady_clock::now() >= end_ ? -ETIMEDOUT : rc;
    }

  private:
    static int Signal() { return SIGRTMIN + 3; }

    std::chrono::steady_clock::time_point end_;
    timer_t timer_{};
    bool armed_ = false;
};

class CSystemKernelCalls final : public IKernelCalls {
  public:
    int Socket(int domain, int type, int protocol) override {
        return static_cast<int>(Result(::socket(domain, type, protocol)));
    }
    int Connect(int fd, const void* address, socklen_t length, int timeoutMs) override {
        const CCallAlarm alarm(timeoutMs);
        return static_cast<int>(
            alarm.Outcome(Result(::connect(fd, static_cast<const sockaddr*>(address), length))));
    }
    int GetSockOpt(int fd, int level, int name, void* value, socklen_t* length,
                   int timeoutMs) override {
        const CCallAlarm alarm(timeoutMs);
        return static_cast<int>(
            alarm.Outcome(Result(::getsockopt(fd, level, name, value, length))));
    }
    long Send(int fd, const void* data, std::size_t size, int flags) override {
        return Result(::send(fd, data, size, flags));
    }
    long Recv(int fd, void* buffer, std::size_t size, int flags) override {
        return Result(::recv(fd, buffer, size, flags));
    }
    int Poll(int fd, short events, int timeoutMs, short& revents) override {
        pollfd p{fd, events, 0};
        const int rc = static_cast<int>(Result(::poll(&p, 1, timeoutMs)));
        revents = p.revents;
        return rc;
    }
    void Close(int fd) override { ::close(fd); }
    long ReadFile(const char* path, void* buffer, std::size_t size) override {
        const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) return -errno;
        auto* at = static_cast<char*>(buffer);
        std::size_t got = 0;
        long rc = 0;
        while (got < size) {
            const ssize_t n = ::read(fd, at + got, size - got);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) rc = -errno;
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        ::close(fd);
        return rc < 0 ? rc : static_cast<long>(got);
    }
};

}  // namespace

std::unique_ptr<IKernelCalls> MakeSystemKernelCalls() {
    return std::make_unique<CSystemKernelCalls>();
}
