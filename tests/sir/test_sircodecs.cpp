// The frame codecs of the serial infrared stack against byte sequences worked out by hand from
// the IrDA physical layer, IrLAP, IrLMP, IAS and TinyTP layouts (checks computed separately).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sir/U_iasframe.h"
#include "sir/U_irlapframe.h"
#include "sir/U_irlmpframe.h"
#include "sir/U_sirframe.h"
#include "sir/U_tinytp.h"
#include "sir/U_tinytpframe.h"

namespace {

using namespace sir;
using Bytes = std::vector<std::uint8_t>;

Bytes Of(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

Bytes Cat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A discovery XID command from device 0x12345678, slot 0 of 6.
const Bytes kXidCommand = {0xFF, 0x3F, 0x01, 0x78, 0x56, 0x34, 0x12,
                           0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x00};

// ---- SIR framing ----

TEST(SirFraming, CheckIsTheCcittCheckOfIrlap) {
    EXPECT_EQ(FrameCheck(Of("123456789")), 0x906E);
    // The check of the XID command, low byte first, and the good residue over frame and check.
    EXPECT_EQ(FrameCheck(kXidCommand), 0x2846);
    EXPECT_EQ(UpdateCheck(0xFFFF, Cat(kXidCommand, {0x46, 0x28})), kGoodResidue);
}

TEST(SirFraming, WrapsWithExtraBofsAndEscapesTheThreeSpecialBytes) {
    EXPECT_EQ(Wrap(Bytes{0x21, 0x00, 0xC0, 0x7D, 0xC1}, 2),
              (Bytes{0xFF, 0xFF, 0xC0, 0x21, 0x00, 0x7D, 0xE0, 0x7D, 0x5D, 0x7D, 0xE1, 0x01, 0x39,
                     0xC1}));
    EXPECT_EQ(Wrap(kXidCommand, 0), Cat(Cat({0xC0}, kXidCommand), {0x46, 0x28, 0xC1}));
}

struct SDeframeCase {
    const char* name;
    Bytes line;
    std::vector<Bytes> frames;  // what comes out, in order
    std::size_t dropped;
};

TEST(SirFraming, DeframerResynchronises) {
    const Bytes good = Wrap(kXidCommand, 0);
    Bytes badCheck = good;
    badCheck[5] ^= 0x01;
    const Bytes escaped = Wrap(Bytes{0x21, 0x00, 0xC0, 0x7D, 0xC1}, 3);
    Bytes tooLong{0xC0};
    tooLong.insert(tooLong.end(), 80, 0x11);
    const std::vector<SDeframeCase> cases = {
        {"garbage before", Cat({0x00, 0xC1, 0x7D, 0x55}, good), {kXidCommand}, 0},
        {"escaped bytes", escaped, {{0x21, 0x00, 0xC0, 0x7D, 0xC1}}, 0},
        {"bad check then good", Cat(badCheck, good), {kXidCommand}, 1},
        {"cut by a new BOF", Cat({0xC0, 0x21, 0x01}, good), {kXidCommand}, 1},
        {"escape then EOF aborts", Cat({0xC0, 0x21, 0x01, 0x7D, 0xC1}, good), {kXidCommand}, 1},
        {"too short", Cat({0xC0, 0x21, 0xC1}, good), {kXidCommand}, 1},
        {"too long", Cat(tooLong, Cat({0xC1}, good)), {kXidCommand}, 1},
        {"two frames", Cat(good, good), {kXidCommand, kXidCommand}, 0},
    };
    for (const auto& c : cases) {
        CDeframer deframer(64);
        std::vector<Bytes> frames;
        std::size_t dropped = 0;
        for (const std::uint8_t byte : c.line) {
            const auto result = deframer.Feed(byte);
            if (result == CDeframer::EResult::Frame)
                frames.emplace_back(deframer.Body().begin(), deframer.Body().end());
            if (result == CDeframer::EResult::Dropped) ++dropped;
        }
        EXPECT_EQ(frames, c.frames) << c.name;
        EXPECT_EQ(dropped, c.dropped) << c.name;
    }
}

// ---- IrLAP ----

TEST(IrlapFrames, DiscoveryXidCommand) {
    SXidInfo xid;
    xid.source = 0x12345678;
    xid.flags = *SlotCountCode(6);
    xid.slot = 0;
    SLapFrame frame;
    frame.control = ucontrol::kXidCommand | kPollFinal;
    frame.info = xid.Encode();
    EXPECT_EQ(frame.Encode(), kXidCommand);

    // The answer of device 0x0A0B0C0D in slot 3: hints, ASCII, nickname.
    const Bytes answer = {0xFE, 0xBF, 0x01, 0x0D, 0x0C, 0x0B, 0x0A, 0x78, 0x56, 0x34, 0x12,
                          0x01, 0x03, 0x00, 0x84, 0x04, 0x00, 'A',  'L',  'D',  'E',  'R'};
    const auto parsed = SLapFrame::Parse(answer);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->Kind(), ELapKind::XID);
    EXPECT_FALSE(parsed->command);
    const auto info = SXidInfo::Parse(parsed->info);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->source, 0x0A0B0C0Du);
    EXPECT_EQ(info->destination, 0x12345678u);
    EXPECT_EQ(SlotCount(info->flags), 6);
    EXPECT_EQ(info->slot, 3);
    const auto discovery = SDiscoveryInfo::Parse(info->discovery);
    ASSERT_TRUE(discovery);
    EXPECT_EQ(discovery->hints, (Bytes{0x84, 0x04}));
    EXPECT_EQ(discovery->charset, 0x00);
    EXPECT_EQ(discovery->nickname, "ALDER");
    EXPECT_FALSE(SlotCountCode(5));
}

TEST(IrlapFrames, SnrmWithNegotiationParameters) {
    SConnectInfo snrm;
    snrm.source = 0x12345678;
    snrm.destination = 0x0A0B0C0D;
    snrm.connection = 0x2A;
    snrm.params.baud = BaudBitsUpTo(115200);
    snrm.params.turnaround = 0x01;
    snrm.params.dataSize = 0x3F;
    snrm.params.window = 0x7F;
    snrm.params.extraBofs = 0x80;
    snrm.params.minTurn = 0x04;
    snrm.params.disconnect = 0x01;
    SLapFrame frame;
    frame.control = ucontrol::kSnrm | kPollFinal;
    frame.info = snrm.EncodeSnrm();
    EXPECT_EQ(frame.Encode(),
              (Bytes{0xFF, 0x93, 0x78, 0x56, 0x34, 0x12, 0x0D, 0x0C, 0x0B, 0x0A, 0x54,
                     0x01, 0x01, 0x3F, 0x82, 0x01, 0x01, 0x83, 0x01, 0x3F, 0x84, 0x01,
                     0x7F, 0x85, 0x01, 0x80, 0x86, 0x01, 0x04, 0x08, 0x01, 0x01}));
}

TEST(IrlapFrames, UaParametersParsedSkippingUnknownAndRejectingTruncated) {
    // Two-byte baud field, an unknown parameter 0x20, data size 64, window 7.
    const Bytes ua = {0x0D, 0x0C, 0x0B, 0x0A, 0x78, 0x56, 0x34, 0x12, 0x01, 0x02, 0x22,
                      0x00, 0x20, 0x02, 0xAA, 0xBB, 0x83, 0x01, 0x01, 0x84, 0x01, 0x7F};
    const auto parsed = SConnectInfo::ParseUa(ua);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->source, 0x0A0B0C0Du);
    EXPECT_EQ(BaudOf(parsed->params.baud), 115200);
    EXPECT_EQ(DataSizeOf(parsed->params.dataSize), 64);
    EXPECT_EQ(WindowOf(parsed->params.window), 7);
    EXPECT_FALSE(SConnectInfo::ParseUa(Bytes(ua.begin(), ua.end() - 1)));
    EXPECT_FALSE(SConnectInfo::ParseSnrm(Bytes(ua.begin(), ua.begin() + 8)));
}

TEST(IrlapFrames, ControlFieldsAndKinds) {
    EXPECT_EQ(IControl(3, 5, true), 0xB6);
    EXPECT_EQ(SControl(ELapKind::RR, 2, true), 0x51);
    EXPECT_EQ(SControl(ELapKind::RNR, 0, true), 0x15);
    struct SCase {
        std::uint8_t address, control;
        ELapKind kind;
    };
    const std::vector<SCase> cases = {
        {0x55, 0xB6, ELapKind::I},    {0x55, 0x51, ELapKind::RR},   {0x54, 0x15, ELapKind::RNR},
        {0xFF, 0x93, ELapKind::SNRM}, {0x55, 0x53, ELapKind::DISC}, {0x54, 0x53, ELapKind::RD},
        {0x54, 0x73, ELapKind::UA},   {0x54, 0x1F, ELapKind::DM},   {0x54, 0x97, ELapKind::FRMR},
        {0xFF, 0x3F, ELapKind::XID},  {0xFE, 0xBF, ELapKind::XID},  {0x55, 0x73, ELapKind::Other},
    };
    for (const auto& c : cases) {
        const auto frame = SLapFrame::Parse(Bytes{c.address, c.control});
        ASSERT_TRUE(frame);
        EXPECT_EQ(frame->Kind(), c.kind) << std::hex << int(c.address) << " " << int(c.control);
    }
    const auto i = SLapFrame::Parse(Bytes{0x55, 0xB6});
    EXPECT_EQ(i->connection, 0x2A);
    EXPECT_EQ(i->Ns(), 3);
    EXPECT_EQ(i->Nr(), 5);
    EXPECT_FALSE(SLapFrame::Parse(Bytes{0x55}));
}

TEST(IrlapFrames, NegotiationValues) {
    EXPECT_EQ(BaudBitsUpTo(9600), 0x03);
    EXPECT_EQ(BaudOf(HighestCommon(BaudBitsUpTo(115200), 0x06)), 19200);
    EXPECT_EQ(HighestCommon(0x3E, 0x01), 0);
    EXPECT_EQ(DataSizeOf(0x3F), 2048);
    EXPECT_EQ(ExtraBofsOf(0x01), 48);
    EXPECT_EQ(ExtraBofsOf(0x80), 0);
    EXPECT_EQ(MinTurnMicrosOf(0x04), 1000);
    EXPECT_EQ(TurnaroundMsOf(0x01), 500);
    EXPECT_EQ(DisconnectSecondsOf(0x01), 3);
}

// ---- IrLMP, IAS, TinyTP ----

TEST(IrlmpFrames, ConnectDisconnectAndData) {
    EXPECT_EQ(SLmpPdu::Control(0x05, 0x10, lmpop::kConnect, 0x00, Bytes{0x0E}).Encode(),
              (Bytes{0x85, 0x10, 0x01, 0x00, 0x0E}));
    EXPECT_EQ(SLmpPdu::Control(0x05, 0x10, lmpop::kDisconnect, lmpreason::kUserRequest).Encode(),
              (Bytes{0x85, 0x10, 0x02, 0x01}));
    EXPECT_EQ(SLmpPdu::Data(0x05, 0x10, Bytes{0x01}).Encode(), (Bytes{0x05, 0x10, 0x01}));
    const auto confirm = SLmpPdu::Parse(Bytes{0x90, 0x05, 0x81, 0x00, 0x8E, 0x04});
    ASSERT_TRUE(confirm);
    EXPECT_TRUE(confirm->control);
    EXPECT_EQ(confirm->destination, 0x10);
    EXPECT_EQ(confirm->source, 0x05);
    EXPECT_EQ(confirm->opcode, lmpop::kConnectConfirm);
    EXPECT_EQ(confirm->data, (Bytes{0x8E, 0x04}));
    EXPECT_FALSE(SLmpPdu::Parse(Bytes{0x90, 0x05}));
}

TEST(IasFrames, GetValueByClassRequest) {
    const auto request = SIasQuery{"Varnex", "IrDA:TinyTP:LsapSel"}.Encode();
    ASSERT_TRUE(request);
    EXPECT_EQ(*request,
              Cat(Cat({0x84, 0x06}, Of("Varnex")), Cat({0x13}, Of("IrDA:TinyTP:LsapSel"))));
    EXPECT_FALSE((SIasQuery{std::string(61, 'x'), "a"}.Encode()));
}

TEST(IasFrames, AnswersGiveAnIntegerOnlyWhenThereIsOne) {
    struct SCase {
        const char* name;
        Bytes answer;
        std::optional<std::int32_t> integer;
        bool parses;
    };
    const std::vector<SCase> cases = {
        {"integer", {0x84, 0x00, 0x00, 0x01, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x05}, 5, true},
        {"no such class", {0x84, 0x01}, std::nullopt, true},
        {"octets",
         {0x84, 0x00, 0x00, 0x01, 0x00, 0x01, 0x02, 0x00, 0x01, 0x07},
         std::nullopt,
         true},
        {"string", {0x84, 0x00, 0x00, 0x01, 0x00, 0x01, 0x03, 0x00, 0x01, 'x'}, std::nullopt, true},
        {"truncated integer", {0x84, 0x00, 0x00, 0x01, 0x00, 0x01, 0x01, 0x00, 0x00}, {}, false},
        {"list longer than the frame", {0x84, 0x00, 0x00, 0x02, 0x00, 0x01, 0x00}, {}, false},
        {"other operation", {0x83, 0x00}, {}, false},
    };
    for (const auto& c : cases) {
        const auto answer = SIasAnswer::Parse(c.answer);
        EXPECT_EQ(answer.has_value(), c.parses) << c.name;
        if (answer) {
            EXPECT_EQ(answer->Integer(), c.integer) << c.name;
        }
    }
    EXPECT_EQ(SIasAnswer::EncodeInteger(0x0001, 5),
              (Bytes{0x84, 0x00, 0x00, 0x01, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x05}));
}

TEST(TinyTpFrames, ConnectWithCreditAndDataHeaders) {
    EXPECT_EQ((STtpConnect{14, 0}.Encode()), Bytes{0x0E});
    EXPECT_EQ((STtpConnect{14, 4096}.Encode()), (Bytes{0x8E, 0x04, 0x01, 0x02, 0x10, 0x00}));
    const auto connect = STtpConnect::Parse(Bytes{0x87, 0x03, 0x01, 0x01, 0x40});
    ASSERT_TRUE(connect);
    EXPECT_EQ(connect->credit, 7);
    EXPECT_EQ(connect->maxSdu, 64);
    EXPECT_FALSE(STtpConnect::Parse(Bytes{0x87, 0x04, 0x01, 0x02, 0x10}));
    EXPECT_EQ(STtpData::Encode(true, 3, Bytes{0x02}), (Bytes{0x83, 0x02}));
    const auto data = STtpData::Parse(Bytes{0x05, 0xAA});
    ASSERT_TRUE(data);
    EXPECT_FALSE(data->more);
    EXPECT_EQ(data->credit, 5);
    EXPECT_EQ(data->data, Bytes{0xAA});
}

TEST(TinyTpFlow, CreditRunsOutAndIsGivenBackBeforeThePeerRunsOut) {
    CTinyTpFlow flow;
    flow.Start(CTinyTpFlow::kInitialCredit, 2);
    EXPECT_EQ(flow.TakeForSend(), 0);
    EXPECT_EQ(flow.TakeForSend(), 0);
    EXPECT_FALSE(flow.CanSend());
    flow.Received(3);  // data with three credits: three more PDUs may go
    EXPECT_EQ(flow.SendCredit(), 3);
    EXPECT_FALSE(flow.PeerNeedsCredit());
    for (int i = 0; i < 6; ++i) flow.Received(0);
    // The peer has 7 of its 14 left: the 7 PDUs taken go back, on the next data PDU.
    EXPECT_TRUE(flow.PeerNeedsCredit());
    EXPECT_EQ(flow.TakeForSend(), 7);
    EXPECT_FALSE(flow.PeerNeedsCredit());
    EXPECT_EQ(flow.TakeForCredit(), 0);
}

}  // namespace
