#pragma once
// The userspace IrDA stack on a serial infrared adapter, as an IrDA platform: the SIR line on
// the adapter's port, the IrLAP primary, IrLMP, the IAS client and TinyTP (or plain IrLMP data
// for the packet mode). Runs on the calling thread; every call ends by its deadline.

#include <memory>
#include <string>

#include "U_irdaplatform.h"

namespace sir {
class CIrdaTrace;
class ILapLine;
struct SPrimaryConfig;

// What the stack's frames travel on: an adapter opened for a session, its line valid while
// open.
class ILapMedium {
  public:
    virtual ~ILapMedium() = default;
    // False with the reason for the user, in Russian.
    virtual bool Open(std::string& problem) = 0;
    // The line on the open adapter, recording into the trace when there is one.
    virtual ILapLine& StartLine(CIrdaTrace* trace) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Narrows what this station offers in the connection to what the adapter can do.
    virtual void Offer(SPrimaryConfig& /*config*/) const {}
    // What went wrong since Open (the adapter unplugged), in Russian; "" when nothing.
    virtual std::string Problem() const { return {}; }
};
}  // namespace sir

// TESSEL_IRDA_BAUD caps the rate negotiated with the radio (9600..115200, default 115200);
// TESSEL_IRDA_SLOTS the discovery slots (1, 6, 8 or 16, default 6: one is quickest with a single
// radio in range); TESSEL_IRDA_TRACE names a pcap file for a protocol trace.
struct SSirSettings {
    int maxBaud = 115200;
    int slots = 6;
    std::string tracePath;

    static SSirSettings FromEnvironment();
};

std::unique_ptr<IIrdaPlatform> MakeSirIrdaPlatform(const std::string& port);
std::unique_ptr<IIrdaPlatform> MakeSirIrdaPlatform(const std::string& port,
                                                   const SSirSettings& settings);
// The same stack on another medium (a USB adapter).
std::unique_ptr<IIrdaPlatform> MakeLapIrdaPlatform(std::unique_ptr<sir::ILapMedium> medium,
                                                   const SSirSettings& settings);
