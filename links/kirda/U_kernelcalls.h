#pragma once
// The system calls the kernel IrDA platform makes, behind one interface, so that the platform
// can be driven by a scripted kernel where the system has no IrDA sockets. Every call returns
// what the system returns, with a failure as the negated error number instead of -1 and errno.
// A call that can wait inside the kernel takes the longest it may wait (ms): the kernel's
// information-base query, also inside a connect by service name, has no time limit of its own,
// so past that time the call is interrupted and fails with -ETIMEDOUT.

#include <sys/socket.h>

#include <cstddef>
#include <memory>

class IKernelCalls {
  public:
    virtual ~IKernelCalls() = default;

    virtual int Socket(int domain, int type, int protocol) = 0;
    virtual int Connect(int fd, const void* address, socklen_t length, int timeoutMs) = 0;
    virtual int GetSockOpt(int fd, int level, int name, void* value, socklen_t* length,
                           int timeoutMs) = 0;
    virtual long Send(int fd, const void* data, std::size_t size, int flags) = 0;
    virtual long Recv(int fd, void* buffer, std::size_t size, int flags) = 0;
    // 1 with the events that came, 0 when the time ran out.
    virtual int Poll(int fd, short events, int timeoutMs, short& revents) = 0;
    virtual void Close(int fd) = 0;
    // The whole of a small file that never blocks (a /proc entry) into buffer: the bytes read,
    // or the negated error.
    virtual long ReadFile(const char* path, void* buffer, std::size_t size) = 0;
};

// The running system's calls.
std::unique_ptr<IKernelCalls> MakeSystemKernelCalls();
