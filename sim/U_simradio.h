#pragma once
// The virtual radio: a stand-in for the four radio models on both links. It keeps the radio's
// memory in numbered segments (two parameter banks and the factory segment, or Larch's three
// segments), the bank flag, the clock and its serial number, answers the link commands, and
// misbehaves on request (see SFault). The transport (infrared socket or pseudo-terminal) is
// U_simserver's; this unit only turns a request into a reply.

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace sim {

enum class ELink { Irda, Serial };

struct SRange {
    int low = 0;
    int high = 0;
};

// Where a segment sits in the model's memory image.
struct SSegmentPlace {
    std::uint16_t segment;
    std::size_t offset;
    std::size_t length;
    int bank;  // 0 or 1; -1 outside the banks
};

struct SRadioModel {
    std::string id;  // the five-character model identifier
    int minHz;
    int maxHz;
    std::vector<SRange> ranges;  // what the radio reports it may work on
    bool twoBanks;
    std::size_t imageSize;
    // Factory ranges at image 0x8A4 are codes in 12.5 kHz steps above this frequency.
    int factoryBaseHz;
    std::vector<SSegmentPlace> places;
};

// ALDER, BIRCH, CEDAR or LARCH (any letter case); null for anything else.
const SRadioModel* FindRadioModel(const std::string& id);

enum class EFaultKind {
    Silent,   // the request is not heard: no effect, no reply
    Late,     // the reply comes after the configured delay
    Echo,     // the reply carries the wrong command code
    Segment,  // the reply names another segment
    Check,    // the reply frame's check value is wrong (serial link)
    Short,    // the reply is cut to half its length
    Drop,     // the reply goes out, then the link is gone
    Lose,     // the request is carried out, but its reply is lost
};

struct SFault {
    EFaultKind kind;
    int request = 0;  // the 1-based request number it hits; 0 for every request
};

// Faults of the serial infrared link itself (link=sir). @N counts IrLAP frames for Lose and
// BadCheck (heard, resp. sent, since the radio accepted the connection), SNRMs for NoSnrm, and
// the radio's requests for Cut and Busy.
enum class ELinkFaultKind {
    Lose,      // a frame is not heard
    BadCheck,  // a frame goes out with a wrong frame check
    NoSnrm,    // a connection request is not answered
    Cut,       // instead of answering the request the radio asks for the link to be closed
    Busy,      // from the request on the radio answers RNR for the delay= time
};

struct SLinkFault {
    ELinkFaultKind kind;
    int count = 0;  // 0 for every one
};

// A fault of one radio of a fleet (1-based, in the order the radios come).
struct SFleetFault {
    int radio = 1;
    SFault fault;
};

struct SVirtualRadioOptions {
    std::string model;  // model identifier
    std::string fw;     // identifier the radio reports; the model's when empty
    std::uint32_t serial = 1000001;
    int bank = 0;
    std::optional<int> converter;  // the raw byte at offset 64 of the probe segments
    std::string imageFile;
    // Erased memory (all 0xFF) instead of the demonstration radio's factory state and channels.
    bool blank = false;
    std::vector<SFault> faults;
    ELink link = ELink::Irda;
    std::optional<std::uint32_t> deviceId;
    // The service hints of the infrared station's discovery answer (link=sir). A handheld
    // device: PDA/Palmtop; its programming service is found by class name, not by a hint.
    std::vector<std::uint8_t> hints{0x02};
    std::vector<SRange> ranges;  // the model's when empty
    std::chrono::milliseconds lateBy{3500};
    int baud = 0;      // serial link: pace both directions like a line at this rate; 0 no pacing
    bool sir = false;  // the infrared link served as a serial infrared line (link=sir)
    // The memory (both banks and the bank flag) kept in this file across restarts.
    std::string memoryFile;
    std::vector<SLinkFault> linkFaults;
    // More than 1: radios brought into range one after another, as at a service desk, with
    // serial numbers serial, serial + 1, ...; the next comes once the one in range is done.
    int fleet = 1;
    std::vector<SFleetFault> fleetFaults;
};

// What goes back for one request.
struct SReply {
    bool silent = false;
    std::vector<std::uint8_t> payload;
    std::chrono::milliseconds delay{0};
    bool badCheck = false;
    bool dropAfter = false;
};

// The request log keeps this many of the latest requests: a radio serving for hours must not
// grow without bound.
inline constexpr std::size_t kRequestLogLimit = 1024;

struct SLoggedRequest {
    std::uint8_t code;
    std::uint16_t segment;  // 0 for commands without one
    std::size_t length;     // bytes carried by a write
};

class CVirtualRadio {
  public:
    // Null with a message when the options do not describe a radio (unknown model, unreadable
    // or wrong-sized image).
    static std::unique_ptr<CVirtualRadio> Create(const SVirtualRadioOptions& options,
                                                 std::string& error);

    SReply Handle(std::span<const std::uint8_t> request, ELink link);
    // A new infrared connection starts a new session.
    void ConnectionOpened();
    // The infrared connection has ended. In a fleet, a radio that is done leaves range here and
    // the next one comes: done is a radio read whole after its completed write (the
    // program's read-back), or one whose connection met a fault without completing a write.
    void ConnectionClosed();
    // False once the last radio of a fleet has left: nothing of it is in range any more.
    bool InRange() const;
    // The serial number of the radio in range now.
    std::uint32_t Serial() const;

    const SVirtualRadioOptions& Options() const { return options_; }
    const SRadioModel& Model() const { return model_; }
    std::string ReportedModel() const;
    std::uint32_t DeviceId() const;

    // For tests and the benchmark; safe to call while a link is served.
    int BankFlag() const;
    // The memory image the program would read from the given bank (the bank in use when -1).
    std::vector<std::uint8_t> Image(int bank = -1) const;
    std::vector<std::uint8_t> Segment(std::uint16_t segment) const;
    std::array<std::uint8_t, 6> Clock() const;
    // The latest requests, oldest first (at most kRequestLogLimit).
    std::vector<SLoggedRequest> Requests() const;
    void ClearRequests();

  private:
    CVirtualRadio(const SVirtualRadioOptions& options, const SRadioModel& model);

    // The memory a new radio comes with: the image, the erased or the demonstration memory.
    bool SeedMemory(std::string& error);
    void NextFleetRadio();
    void Seed(std::span<const std::uint8_t> image);
    void SeedBlank();
    bool LoadMemory(std::string& error);
    // False (and why, in error) when the memory file cannot be written.
    bool SaveMemory(std::string& error) const;
    bool SaveMemory() const;
    // The demonstration memory in the parameter banks, over the erased memory.
    void SeedDemo();
    const SSegmentPlace* Place(std::uint16_t segment) const;
    std::vector<std::uint8_t> Identification(ELink link) const;
    std::optional<std::vector<std::uint8_t>> Execute(std::span<const std::uint8_t> request,
                                                     ELink link);
    void EndSession(ELink link);
    std::optional<EFaultKind> FaultFor(int request) const;
    void Log(const SLoggedRequest& request);

    SVirtualRadioOptions options_;
    SRadioModel model_;
    mutable std::mutex mutex_;
    std::map<std::uint16_t, std::vector<std::uint8_t>> segments_;
    int bankFlag_ = 0;
    std::array<std::uint8_t, 6> clock_{};
    int requestCount_ = 0;
    std::set<std::uint16_t> writtenThisSession_;
    std::optional<std::uint16_t> released_;
    std::deque<SLoggedRequest> log_;
    std::uint32_t deviceId_;
    // The fleet: which radio (1-based) is in range, and what the current connection did.
    int fleetNumber_ = 1;
    bool gone_ = false;
    bool faultThisConnection_ = false;
    bool completedThisConnection_ = false;
    bool writeCompleted_ = false;
    bool readAfterWrite_ = false;
};

}  // namespace sim
