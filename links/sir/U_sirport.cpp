#include "U_sirport.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include "U_fileio.h"
#include "U_pollwait.h"

namespace sir {

speed_t SpeedOf(int baud) {
    switch (baud) {
        case 2400:
            return B2400;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        default:
            return B0;
    }
}

CSirPort::~CSirPort() {
    Close();
}

std::string BusyText(const std::string& path) {
    return "ИК-адаптер " + path + " занят другой программой";
}

bool HeldByUucpLock(const std::string& path, const std::filesystem::path& lockFolder) {
    std::string text;
    const auto lockFile = lockFolder / ("LCK.." + std::filesystem::path(path).filename().string());
    if (fileio::ReadWholeFile(lockFile, text, 64) != fileio::EReadResult::Read) return false;
    // The owner's process id, as ten ASCII digits (or, from old tools, a binary int).
    long pid = 0;
    if (text.size() == sizeof(int) && (text[0] < '0' || text[0] > '9')) {
        int binary = 0;
        std::memcpy(&binary, text.data(), sizeof binary);
        pid = binary;
    } else {
        pid = std::strtol(text.c_str(), nullptr, 10);
    }
    if (pid <= 0 || pid == ::getpid()) return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

bool CSirPort::Open(const std::string& path, std::string& error) {
    Close();
    path_ = path;
    failure_.clear();
    // Another program on the port: a serial tool's lock file, its flock or its TIOCEXCL.
    if (HeldByUucpLock(path, kUucpLockFolder)) {
        error = BusyText(path);
        return false;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = errno == EBUSY ? BusyText(path)
                               : "ИК-адаптер " + path + " не открыт: " + fileio::ErrorText(errno);
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        error = errno == EWOULDBLOCK
                    ? BusyText(path)
                    : "ИК-адаптер " + path + " не открыт: " + fileio::ErrorText(errno);
        ::close(fd);
        return false;
    }
    if (::ioctl(fd, TIOCEXCL) != 0 || ::tcgetattr(fd, &saved_) != 0) {
        error = "ИК-адаптер " + path + ": это не последовательный порт";
        ::close(fd);
        return false;
    }
    termios raw = saved_;
    ::cfmakeraw(&raw);
    raw.c_cflag |= CLOCAL | CREAD;
    raw.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CRTSCTS);
    raw.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    ::cfsetispeed(&raw, B9600);
    ::cfsetospeed(&raw, B9600);
    if (::tcsetattr(fd, TCSANOW, &raw) != 0) {
        error =
            "ИК-адаптер " + path + ": линия не настраивается (" + fileio::ErrorText(errno) + ")";
        ::tcsetattr(fd, TCSANOW, &saved_);
        ::ioctl(fd, TIOCNXCL);
        ::close(fd);
        return false;
    }
    ::tcflush(fd, TCIOFLUSH);
    fd_ = fd;
    return true;
}

void CSirPort::Close() {
    if (fd_ < 0) return;
    // The last frames (the disconnect) leave before the line is handed back.
    WaitSent(LinkClock::now() + std::chrono::milliseconds(200));
    ::tcflush(fd_, TCIOFLUSH);
    ::tcsetattr(fd_, TCSANOW, &saved_);
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    fd_ = -1;
}

bool CSirPort::Fail(int error) {
    // The first failure is the cause; what follows from it says no more.
    if (failure_.empty()) failure_ = ::LineFailureText("ИК-адаптер " + path_, error);
    return false;
}

bool CSirPort::Wait(short events, Deadline deadline, bool& timedOut) {
    int error = 0;
    const EWait wait = WaitForLine(fd_, events, deadline, error);
    timedOut = wait == EWait::TimedOut;
    if (wait == EWait::Failed) Fail(error);
    return wait == EWait::Ready;
}

bool CSirPort::Write(std::span<const std::uint8_t> bytes, Deadline deadline) {
    if (fd_ < 0 || !failure_.empty()) return false;
    const auto waitWritable = [&] {
        bool timedOut = false;
        return Wait(POLLOUT, deadline, timedOut);
    };
    int error = 0;
    if (WriteAll(fd_, bytes, waitWritable, error)) return true;
    if (error != 0) Fail(error);
    return false;
}

long CSirPort::Read(std::span<std::uint8_t> buffer, Deadline deadline) {
    if (fd_ < 0 || !failure_.empty()) return -1;
    bool woken = false;
    for (;;) {
        // Raw with VMIN and VTIME 0: 0 means nothing has arrived yet.
        const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
        if (n > 0) return n;
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            Fail(errno);
            return -1;
        }
        // Readable and yet nothing read: never spin past the deadline on it.
        if (woken && n == 0) {
            if (LinkClock::now() >= deadline) return 0;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        bool timedOut = false;
        if (!Wait(POLLIN, deadline, timedOut)) return timedOut ? 0 : -1;
        woken = true;
    }
}

bool CSirPort::WaitSent(Deadline deadline) {
    for (;;) {
        int queued = 0;
        if (::ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued <= 0) return true;
        if (LinkClock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

bool CSirPort::SetBaud(int baud, Deadline deadline) {
    const speed_t speed = SpeedOf(baud);
    if (fd_ < 0 || !failure_.empty() || speed == B0 || !WaitSent(deadline)) return false;
    termios settings{};
    if (::tcgetattr(fd_, &settings) != 0) return Fail(errno);
    ::cfsetispeed(&settings, speed);
    ::cfsetospeed(&settings, speed);
    return ::tcsetattr(fd_, TCSANOW, &settings) == 0 || Fail(errno);
}

}  // namespace sir
