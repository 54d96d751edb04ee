#pragma once
// The userspace IrDA stack on a serial infrared adapter, as an IrDA platform: the SIR line on
// the adapter's port, the IrLAP primary, IrLMP, the IAS client and TinyTP (or plain IrLMP data
// for the packet mode). Runs on the calling thread; every call ends by its deadline.

#include <memory>
#include <string>

#include "U_irdaplatform.h"

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
