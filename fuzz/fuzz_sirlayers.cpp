// The IrLAP, IrLMP, IAS and TinyTP parsers of the serial infrared stack meeting untrusted
// frames. The first byte chooses the parser; what parses is encoded again where the layout is
// exact, and must give the same bytes.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sir/U_iasframe.h"
#include "sir/U_irlapframe.h"
#include "sir/U_irlmpframe.h"
#include "sir/U_tinytpframe.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Same(const Bytes& a, std::span<const std::uint8_t> b) {
    if (a != Bytes(b.begin(), b.end())) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::span<const std::uint8_t> input(data + 1, size - 1);
    switch (data[0] % 6) {
        case 0:
            if (const auto frame = sir::SLapFrame::Parse(input)) {
                Same(frame->Encode(), input);
                (void)frame->Kind();
                if (const auto xid = sir::SXidInfo::Parse(frame->info)) {
                    Same(xid->Encode(), frame->info);
                    (void)sir::SDiscoveryInfo::Parse(xid->discovery);
                    (void)sir::SlotCount(xid->flags);
                }
            }
            break;
        case 1:
            if (const auto snrm = sir::SConnectInfo::ParseSnrm(input)) {
                (void)sir::BaudOf(snrm->params.baud);
                (void)sir::DataSizeOf(snrm->params.dataSize);
                (void)sir::WindowOf(snrm->params.window);
                (void)sir::ExtraBofsOf(snrm->params.extraBofs);
                (void)sir::MinTurnMicrosOf(snrm->params.minTurn);
                (void)sir::DisconnectSecondsOf(snrm->params.disconnect);
                (void)sir::TurnaroundMsOf(snrm->params.turnaround);
            }
            (void)sir::SConnectInfo::ParseUa(input);
            break;
        case 2:
            if (const auto pdu = sir::SLmpPdu::Parse(input);
                pdu && (input[1] & 0x80) == 0 && (!pdu->control || input.size() >= 4))
                Same(pdu->Encode(), input);
            break;
        case 3:
            if (const auto query = sir::SIasQuery::Parse(input))
                if (const auto encoded = query->Encode()) Same(*encoded, input);
            break;
        case 4:
            if (const auto answer = sir::SIasAnswer::Parse(input)) (void)answer->Integer();
            break;
        case 5:
            (void)sir::STtpConnect::Parse(input);
            if (const auto pdu = sir::STtpData::Parse(input))
                Same(sir::STtpData::Encode(pdu->more, pdu->credit, pdu->data), input);
            break;
    }
    return 0;
}
