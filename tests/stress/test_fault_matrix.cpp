// Every way the radio can misbehave, at every exchange of a search, a read and a write, for
// each delivered model on both infrared modes and for a two-bank model on the serial link.
// Each case is checked against what the link and exchange rules make of that fault: whether the
// radio is found, which step fails (or that the fault is tolerated), that the parameter set is
// untouched by a failed read, that the bank in use is untouched by a failed two-bank write, that
// a Larch write keeps what it had written, that the link is closed and can be used again, and
// that nothing waits past the reply window.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>
#include <thread>

#include "U_virtualradios.h"
#include "stress_rig.h"

namespace {

using namespace stress;

constexpr auto kWindow = 200ms;
// Past the window, and within the next one: a late answer meets the request that follows.
constexpr auto kLateBy = 300ms;
constexpr auto kPatientWindow = 1500ms;
// Search, steps and thread hand-overs on a busy machine.
constexpr auto kSlack = 350ms;

enum class ELink { Stream, Packet, Serial };
enum class EKind { None, Silent, Late, Echo, Segment, Crc, Short, Drop };

// In the order of EKind: the fault names the virtual radio takes, after "clean" for none.
std::string KindName(EKind kind) {
    static constexpr const char* kNames[] = {"clean",   "silent", "late",  "echo",
                                             "segment", "crc",    "short", "drop"};
    return kNames[static_cast<int>(kind)];
}

std::string LinkName(ELink link) {
    return link == ELink::Stream ? "Stream" : link == ELink::Packet ? "Packet" : "Serial";
}

struct SRig {
    SModelTraits model;
    ELink link;
    bool Serial() const { return link == ELink::Serial; }
};

// The serial rig is an Alder-like test model; it starts on bank 1, so the bank it learns from
// the radio decides every segment number.
SRig SerialRig() {
    return {{"ALDER", true, CTwoBankRW::kImageSize, 1}, ELink::Serial};
}

struct SCase {
    SRig rig;
    EOp op;
    EKind kind;
    int request;  // the radio's request number the fault hits, from 1
};

void PrintTo(const SCase& c, std::ostream* out) {
    *out << c.rig.model.id << ' ' << LinkName(c.rig.link) << ' '
         << (c.op == EOp::Read ? "read " : "write ") << KindName(c.kind) << '@' << c.request;
}

// ---- what the rules make of a fault ----

enum class ERole { Identify, BankQuery, Probe, Clock, Get, Put, Release, End };

struct SRequest {
    ERole role;
    int step;  // the exchange step it belongs to; 0 during recognition and for the clock
};

// The radio's requests in order, as the search and the exchange make them.
std::vector<SRequest> Script(const SRig& rig, EOp op) {
    std::vector<SRequest> script{{ERole::Identify, 0}};
    if (rig.Serial()) script.push_back({ERole::BankQuery, 0});
    script.push_back({ERole::Probe, 0});
    const int steps = rig.model.twoBanks ? 6 : 3;
    if (op == EOp::Read) {
        for (int step = 1; step <= steps; ++step) script.push_back({ERole::Get, step});
        return script;
    }
    if (!rig.Serial()) script.push_back({ERole::Clock, 0});
    if (rig.model.twoBanks) {
        for (int step = 1; step <= 5; ++step) script.push_back({ERole::Put, step});
        // Nothing travels for the release on the serial link.
        if (!rig.Serial()) script.push_back({ERole::Release, 6});
        script.push_back({ERole::End, 6});
    } else {
        for (int step = 1; step <= 3; ++step) script.push_back({ERole::Put, step});
        script.push_back({ERole::End, 3});
    }
    return script;
}

struct SEffect {
    bool fails = false;
    bool linkGoneAfter = false;
    bool spoilsNext = false;   // its reply comes in while the next request waits for its own
    bool unconfirmed = false;  // the end of the session went unanswered, yet the radio took it
    int windows = 0;           // reply windows the program sits out
};

// The end of a session whose answer is lost: the radio is asked for its bank (on infrared).
// A two-bank radio that carried the end out has switched banks, so the write is done.
SEffect EndOfSessionEffect(EKind kind, const SRig& rig) {
    const bool carriedOut = kind == EKind::Late || kind == EKind::Echo || kind == EKind::Short;
    // The late answer comes while the radio is first asked; the second question is answered.
    const int windows = kind == EKind::Late ? 2 : kind == EKind::Short ? 0 : 1;
    if (carriedOut && rig.model.twoBanks) return {.unconfirmed = true, .windows = windows};
    return {.fails = true, .windows = windows};
}

SEffect EffectOf(EKind kind, ERole role, const SRig& rig) {
    const bool serial = rig.Serial();
    if (!serial && role == ERole::End && kind != EKind::Segment && kind != EKind::Drop &&
        kind != EKind::None)
        return EndOfSessionEffect(kind, rig);
    switch (kind) {
        case EKind::None:
            return {};
        case EKind::Silent:
        case EKind::Crc:  // a frame with a bad check value is dropped; nothing good follows
            return {.fails = true, .windows = 1};
        case EKind::Short:
            // Infrared: waits for the rest. Serial: a good frame that is too short, but for the
            // end of session, where the bare command code is answer enough.
            if (serial && role == ERole::End) return {};
            return {.fails = true, .windows = serial ? 0 : 1};
        case EKind::Late:
            // On infrared a late answer is passed over by the next request, which waits for its
            // own; on the serial line there is no next request after a failure that counts.
            return {.fails = true, .spoilsNext = serial, .windows = 1};
        case EKind::Echo:
            // Infrared: a reply with another code may be an earlier request's, so it is passed
            // over and the window runs out. The serial reply fails at once.
            return {.fails = true, .windows = serial ? 0 : 1};
        case EKind::Segment:
            // The radio raises reply byte 2, where a segment echo starts. On infrared
            // identification that byte is part of the model identifier; the serial one does not
            // look at it; the clock and the end of session carry no segment.
            if (role == ERole::Probe || role == ERole::Get || role == ERole::Put ||
                role == ERole::Release)
                return {.fails = true, .windows = serial ? 0 : 1};
            return {.fails = role == ERole::Identify && !serial};
        case EKind::Drop:
            return {.linkGoneAfter = true};
    }
    return {};
}

struct SExpected {
    bool found = true;
    bool ok = true;
    bool unconfirmed = false;
    int failedStep = 0;
    ERole failedRole = ERole::Identify;
    int windows = 0;
};

SExpected Expect(const SCase& c) {
    SExpected expected;
    const std::vector<SRequest> script = Script(c.rig, c.op);
    bool linkGone = false;
    bool spoiled = false;
    for (std::size_t i = 0; i < script.size(); ++i) {
        const SRequest& request = script[i];
        SEffect effect;
        if (linkGone) {
            // Infrared: the connection is closed, at once. Serial: the line stays mute.
            effect = {.fails = true, .windows = c.rig.Serial() ? 1 : 0};
        } else if (spoiled) {
            effect = {.fails = true, .windows = 1};
        } else if (static_cast<int>(i) + 1 == c.request) {
            effect = EffectOf(c.kind, request.role, c.rig);
        }
        expected.windows += effect.windows;
        expected.unconfirmed = expected.unconfirmed || effect.unconfirmed;
        linkGone = linkGone || effect.linkGoneAfter;
        spoiled = effect.spoilsNext;
        if (!effect.fails) continue;
        if (request.role == ERole::Clock) continue;  // the clock's answer is not needed
        if (request.role == ERole::Identify || request.role == ERole::BankQuery ||
            request.role == ERole::Probe) {
            expected.found = false;
        } else {
            expected.failedStep = request.step;
            expected.failedRole = request.role;
        }
        expected.ok = false;
        return expected;
    }
    return expected;
}

// ---- the cases ----

std::vector<EKind> KindsOf(ELink link) {
    if (link == ELink::Serial)
        return {EKind::Silent, EKind::Late,  EKind::Echo, EKind::Segment,
                EKind::Crc,    EKind::Short, EKind::Drop};
    return {EKind::Silent, EKind::Late, EKind::Echo, EKind::Segment, EKind::Short, EKind::Drop};
}

void AddCases(const SRig& rig, std::vector<SCase>& cases) {
    for (const EOp op : {EOp::Read, EOp::Write}) {
        cases.push_back({rig, op, EKind::None, 0});
        const int requests = static_cast<int>(Script(rig, op).size());
        for (const EKind kind : KindsOf(rig.link))
            for (int request = 1; request <= requests; ++request)
                cases.push_back({rig, op, kind, request});
    }
}

std::vector<SCase> AllCases() {
    std::vector<SCase> cases;
    for (const SModelTraits& model : DeliveredModels())
        for (const ELink link : {ELink::Stream, ELink::Packet}) AddCases({model, link}, cases);
    AddCases(SerialRig(), cases);
    return cases;
}

std::string CaseName(const ::testing::TestParamInfo<SCase>& info) {
    const SCase& c = info.param;
    std::string name = c.rig.model.id + "_" + LinkName(c.rig.link) + "_" +
                       (c.op == EOp::Read ? "Read" : "Write") + "_" + KindName(c.kind);
    if (c.kind != EKind::None) name += std::to_string(c.request);
    return name;
}

// ---- the bench of one case ----

Bytes OldImage(const SRig& rig) {
    Bytes image = Pattern(rig.model.imageSize, 0x21);
    // The converter byte of both probe segments: one Birch and Cedar accept.
    if (rig.model.twoBanks) image[kConverterByteOffset] = 0;
    return image;
}

std::string Description(const SCase& c, const std::string& imageFile, bool withFault) {
    std::string text =
        c.rig.model.id + ",image=" + imageFile + ",delay=" + std::to_string(kLateBy.count());
    if (c.rig.model.twoBanks) text += ",bank=" + std::to_string(c.rig.model.bank);
    if (c.rig.Serial()) text += ",link=serial";
    if (withFault && c.kind != EKind::None)
        text += ",fault=" + KindName(c.kind) + "@" + std::to_string(c.request);
    return text;
}

SLinkConfig Config(const sim::CVirtualRadios& radios, ELink link) {
    SLinkConfig config = radios.LinkConfig();
    config.irdaMode = link == ELink::Packet ? EIrdaMode::Packet : EIrdaMode::Stream;
    return config;
}

struct SSegmentSlice {
    std::uint16_t segment;
    std::size_t offset;
    std::size_t length;
    int step;
};
constexpr SSegmentSlice kLarchSegments[] = {
    {119, 0, 256, 1}, {120, 256, 512, 2}, {512, 768, 128, 3}};

Bytes Slice(const Bytes& image, const SSegmentSlice& slice) {
    return {image.begin() + static_cast<std::ptrdiff_t>(slice.offset),
            image.begin() + static_cast<std::ptrdiff_t>(slice.offset + slice.length)};
}

bool Logged(const sim::CVirtualRadio& radio, std::uint8_t code) {
    const auto requests = radio.Requests();
    return std::any_of(requests.begin(), requests.end(),
                       [code](const sim::SLoggedRequest& r) { return r.code == code; });
}

class FaultMatrix : public ::testing::TestWithParam<SCase> {
  protected:
    void SetUp() override {
        FixProgrammingDate();
        const SCase& c = GetParam();
        if (c.rig.Serial()) {
            serialWare_ = std::make_unique<CSerialTestWare>();
            radio_ = &serialWare_->TestRadio();
        } else {
            radio_ = &DeliveredRadio(c.rig.model.id);
        }
        ASSERT_TRUE(radio_->Ware()->AttachData(radio_, nullptr, nullptr));
        Set().Reset();
        // The serial model's set is its image: make it differ from what the radio holds, but
        // for the factory segment, which a write leaves as the radio has it.
        if (serialWare_) {
            Bytes image = Pattern(CTwoBankRW::kImageSize, 0x5C);
            const Bytes old = OldImage(c.rig);
            std::copy(old.begin() + kFactoryOffset, old.end(), image.begin() + kFactoryOffset);
            serialWare_->Set().SetImage(image);
        }
    }

    IRadioData& Set() { return *radio_->Data(); }

    SOutcome Run(
        CLinkPorts& ports, EOp op, const std::function<void()>& afterSearch = [] {}) {
        if (serialWare_) serialWare_->UsePort(ports.Serial());
        return Transfer(*radio_, ports, op, afterSearch);
    }

    void CheckWrite(const SExpected& expected, const SOutcome& outcome,
                    const sim::CVirtualRadio& radio, const Bytes& old, const Bytes& reference);

    std::unique_ptr<CSerialTestWare> serialWare_;
    IRadio* radio_ = nullptr;
};

void FaultMatrix::CheckWrite(const SExpected& expected, const SOutcome& outcome,
                             const sim::CVirtualRadio& radio, const Bytes& old,
                             const Bytes& reference) {
    const SModelTraits& model = GetParam().rig.model;
    if (!expected.found) {
        EXPECT_FALSE(Logged(radio, 0x03)) << "nothing may be written to an unrecognised radio";
        EXPECT_EQ(radio.Image(), old);
        return;
    }
    if (model.twoBanks) {
        if (outcome.ok) {
            EXPECT_EQ(radio.BankFlag(), 1 - model.bank);
            EXPECT_EQ(radio.Image(), reference);
        } else if (GetParam().rig.Serial() && expected.failedRole == ERole::End &&
                   radio.BankFlag() != model.bank) {
            // The serial radio cannot be asked for its bank: it took the end of the session and
            // only its answer was lost, so the bank it switched to holds the whole new image.
            EXPECT_EQ(radio.Image(), reference);
        } else {
            EXPECT_EQ(radio.BankFlag(), model.bank);
            EXPECT_EQ(radio.Image(model.bank), old) << "the bank in use was touched";
        }
        return;
    }
    // No banks: every segment lands at once, and stays.
    for (const SSegmentSlice& slice : kLarchSegments) {
        const Bytes now = radio.Segment(slice.segment);
        const bool written =
            outcome.ok || slice.step < expected.failedStep ||
            (slice.step == expected.failedStep && expected.failedRole == ERole::End);
        const bool untouched = !outcome.ok && slice.step > expected.failedStep;
        if (written) {
            EXPECT_EQ(now, Slice(reference, slice)) << "segment " << slice.segment;
        } else if (untouched) {
            EXPECT_EQ(now, Slice(old, slice)) << "segment " << slice.segment;
        } else {
            EXPECT_TRUE(now == Slice(old, slice) || now == Slice(reference, slice))
                << "segment " << slice.segment << " holds neither image";
        }
    }
}

TEST_P(FaultMatrix, OutcomeFollowsTheLinkAndExchangeRules) {
    const SCase& c = GetParam();
    const SExpected expected = Expect(c);
    const Bytes old = OldImage(c.rig);
    const CTempImage file(CaseName({c, 0}), old);

    Bytes reference;
    if (c.op == EOp::Write) {
        // A radio that does not misbehave. A model's defaults are not what it reads back from
        // its own image (the priority channel, the Larch notes), so the set is first taken
        // through the radio once; then a complete write of it gives the image every written
        // segment is compared with.
        sim::CVirtualRadios clean({Description(c, file.Path(), false)});
        CLinkPorts ports(Config(clean, c.rig.link));
        ports.SetWindow(kPatientWindow);
        if (!serialWare_) {
            ASSERT_TRUE(Run(ports, EOp::Write).ok) << "a clean write must succeed";
            ASSERT_TRUE(Run(ports, EOp::Read).ok) << "a clean read must succeed";
        }
        ASSERT_TRUE(Run(ports, EOp::Write).ok) << "a clean write must succeed";
        reference = clean.Radio(0).Image();
        ASSERT_NE(reference, old);
    }

    sim::CVirtualRadios radios({Description(c, file.Path(), true)});
    CLinkPorts ports(Config(radios, c.rig.link));
    ports.SetWindow(kWindow);
    const std::string textBefore = Text(Set());
    std::string textAtStart = textBefore;  // once recognition has had its say
    const SOutcome outcome = Run(ports, c.op, [&] { textAtStart = Text(Set()); });

    EXPECT_EQ(outcome.found, expected.found);
    EXPECT_EQ(outcome.ok, expected.ok);
    EXPECT_EQ(outcome.failedStep, expected.failedStep);
    EXPECT_EQ(outcome.sessionEnd == ESessionEnd::Unconfirmed, expected.unconfirmed);
    EXPECT_LT(outcome.elapsed, expected.windows * kWindow + kSlack)
        << expected.windows << " window(s) expected";
    EXPECT_FALSE(ports.Irda().isOpen());
    EXPECT_FALSE(ports.Serial().isOpen());

    const sim::CVirtualRadio& radio = radios.Radio(0);
    if (c.op == EOp::Read) {
        if (!outcome.ok) {
            EXPECT_FALSE(Set().IsModified()) << "a failed read decoded into the parameters";
            EXPECT_EQ(FirstDifference(Text(Set()), textAtStart), "")
                << "a failed read changed the parameters";
        }
    } else {
        CheckWrite(expected, outcome, radio, old, reference);
    }
    const std::string textAfter = Text(Set());

    // The link opens again. A serial radio whose line dropped stays mute: its port must still
    // open. Otherwise a patient read must go through.
    if (c.rig.Serial() && c.kind == EKind::Drop) {
        ASSERT_TRUE(ports.Serial().open(radios.Server(0).Address()));
        ports.Serial().close();
        return;
    }
    // On the serial line a late answer still to come would be taken for the next request's.
    if (c.rig.Serial() && c.kind == EKind::Late) std::this_thread::sleep_for(kLateBy);
    ports.SetWindow(kPatientWindow);
    const SOutcome again = Run(ports, EOp::Read);
    ASSERT_TRUE(again.ok) << "the radio cannot be read after the fault";
    const std::string textRead = Text(Set());
    if (c.op == EOp::Read) {
        if (outcome.ok) {
            EXPECT_EQ(FirstDifference(textAfter, textRead), "");
        } else {
            EXPECT_NE(textRead, textAtStart) << "the failed read had nothing to change";
        }
    } else if (outcome.ok) {
        EXPECT_EQ(FirstDifference(textRead, textBefore), "") << "what was written reads back";
    }
}

INSTANTIATE_TEST_SUITE_P(Links, FaultMatrix, ::testing::ValuesIn(AllCases()), CaseName);

TEST(DeliveredModels, AreTheFourInfraredModels) {
    std::vector<std::string> loaded;
    for (int m = 0; m < DeliveredModules().Count(); ++m) {
        IRadioWare& ware = *DeliveredModules().Get(m).ware;
        loaded.push_back(ware.Description());
        EXPECT_EQ(ware.LinkKinds(), PR_NET_IRDA) << ware.Description();
    }
    std::sort(loaded.begin(), loaded.end());
    std::vector<std::string> matrix;
    for (const SModelTraits& model : DeliveredModels()) matrix.push_back(model.id);
    EXPECT_EQ(loaded, matrix) << "the matrix covers another set of models than the plug-ins";
}

}  // namespace
