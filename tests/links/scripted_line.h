#pragma once
// A radio that says exactly what a test tells it to: the far end of a pseudo-terminal that
// collects each request frame and answers it with prepared raw bytes.

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "U_frame.h"

namespace linktest {

class CScriptedLine {
  public:
    using Bytes = std::vector<std::uint8_t>;

    CScriptedLine() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        ::grantpt(master_);
        ::unlockpt(master_);
        char name[128] = {};
        ::ptsname_r(master_, name, sizeof name);
        path_ = name;
        hold_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios t{};
        ::tcgetattr(hold_, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(hold_, TCSANOW, &t);
        thread_ = std::thread([this] { Run(); });
    }
    ~CScriptedLine() {
        stop_ = true;
        thread_.join();
        ::close(hold_);
        ::close(master_);
    }

    const std::string& Path() const { return path_; }
    // The raw bytes that answer the next request; an empty answer sends nothing.
    void Answer(Bytes raw) {
        const std::lock_guard lock(mutex_);
        answers_.push_back(std::move(raw));
    }
    // A well-formed reply frame for the payload.
    void AnswerPayload(const Bytes& payload) { Answer(frame::Build(payload)); }
    std::vector<Bytes> Requests() const {
        const std::lock_guard lock(mutex_);
        return requests_;
    }

  private:
    void Run() {
        frame::CReceiver receiver(4096);
        std::uint8_t chunk[1024];
        while (!stop_) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 10) <= 0) continue;
            const ssize_t n = ::read(master_, chunk, sizeof chunk);
            for (ssize_t i = 0; i < n; ++i) {
                if (receiver.Feed(chunk[i]) != frame::CReceiver::Result::Frame) continue;
                const auto body = receiver.Body();
                Bytes answer;
                {
                    const std::lock_guard lock(mutex_);
                    requests_.emplace_back(body.begin(), body.end() - 2);
                    if (!answers_.empty()) {
                        answer = std::move(answers_.front());
                        answers_.pop_front();
                    }
                }
                receiver.Reset();
                if (!answer.empty()) [[maybe_unused]]
                    auto w = ::write(master_, answer.data(), answer.size());
            }
        }
    }

    int master_ = -1;
    int hold_ = -1;
    std::string path_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::deque<Bytes> answers_;
    std::vector<Bytes> requests_;
    std::thread thread_;
};

// A fake link's next prepared record, cut to the receive buffer; -1 (as a window that ran out)
// when none is left.
inline long TakeRecord(std::deque<std::vector<std::uint8_t>>& records,
                       std::span<std::uint8_t> buffer) {
    if (records.empty()) return -1;
    const std::vector<std::uint8_t> record = records.front();
    records.pop_front();
    const std::size_t n = std::min(record.size(), buffer.size());
    std::copy_n(record.begin(), n, buffer.begin());
    return static_cast<long>(n);
}

}  // namespace linktest
