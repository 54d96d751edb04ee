#include "U_kernelcalls.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace {

long Result(long rc) {
    return rc < 0 ? -errno : rc;
}

class CSystemKernelCalls final : public IKernelCalls {
  public:
    int Socket(int domain, int type, int protocol) override {
        return static_cast<int>(Result(::socket(domain, type, protocol)));
    }
    int Connect(int fd, const void* address, socklen_t length) override {
        return static_cast<int>(
            Result(::connect(fd, static_cast<const sockaddr*>(address), length)));
    }
    int GetSockOpt(int fd, int level, int name, void* value, socklen_t* length) override {
        return static_cast<int>(Result(::getsockopt(fd, level, name, value, length)));
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
