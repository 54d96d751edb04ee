// A long run of writes and reads against virtual radios that misbehave at random (a fixed seed,
// so a failure can be replayed): every write that succeeds must read back as written, and the
// process must not grow in memory, descriptors or threads once it has warmed up.

#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "U_virtualradios.h"
#include "stress_rig.h"

namespace {

using namespace stress;

constexpr auto kWindow = 200ms;
constexpr auto kLateBy = 300ms;
constexpr int kCycles = 600;
constexpr int kWarmUpCycles = 100;
constexpr int kReadAttempts = 6;
// Requests before the first fault: the rig prepares its parameter texts undisturbed.
constexpr int kQuietRequests = 150;
// Past the last request a rig makes in the run.
constexpr int kScheduleHorizon = 2500;
// Chance that a request misbehaves: about one faulted transfer in ten.
constexpr double kFaultChance = 0.006;
constexpr long kResidentToleranceKiB = 256;
constexpr int kDescriptorTolerance = 2;  // a connection the radio has not yet seen closed

// One radio of one model in range of its own links, with a fault schedule drawn in advance.
struct SSoakRig {
    std::string model;
    bool serial = false;
    EIrdaMode mode = EIrdaMode::Stream;
    std::size_t imageSize = 0;
    std::unique_ptr<CTempImage> imageFile;
    std::unique_ptr<sim::CVirtualRadios> radios;
    std::unique_ptr<CLinkPorts> ports;
    std::unique_ptr<CSerialTestWare> serialWare;
    IRadio* radio = nullptr;
    std::vector<std::string> texts;     // the parameter sets written in turn
    std::vector<std::string> readBack;  // what each reads back as
    int faults = 0;
};

std::string FaultSchedule(std::mt19937& random, bool serial, int& count) {
    // A pulled serial cable is not plugged back in: the rig would be lost for the rest of the
    // run. Bad check values exist on the serial line only.
    std::vector<std::string> kinds{"silent", "late", "echo", "segment", "short"};
    kinds.push_back(serial ? "crc" : "drop");
    std::bernoulli_distribution faulty(kFaultChance);
    std::uniform_int_distribution<std::size_t> kind(0, kinds.size() - 1);
    std::string schedule;
    for (int request = kQuietRequests; request < kScheduleHorizon; ++request) {
        if (!faulty(random)) continue;
        schedule += ",fault=" + kinds[kind(random)] + "@" + std::to_string(request);
        ++count;
    }
    return schedule;
}

SOutcome RunOn(SSoakRig& rig, EOp op) {
    if (rig.serialWare) rig.serialWare->UsePort(rig.ports->Serial());
    return Transfer(*rig.radio, *rig.ports, op);
}

// A read that is tried again until the radio answers in full.
bool ReadPatiently(SSoakRig& rig) {
    for (int attempt = 0; attempt < kReadAttempts; ++attempt)
        if (RunOn(rig, EOp::Read).ok) return true;
    return false;
}

bool Load(IRadioData& data, const std::string& text) {
    std::istringstream in(text);
    return data.Load(in, true);
}

class Soak : public ::testing::Test {
  protected:
    void SetUp() override {
        FixProgrammingDate();
        std::mt19937 random(20240517);
        const struct {
            const char* model;
            bool serial;
            EIrdaMode mode;
        } plan[] = {{"ALDER", false, EIrdaMode::Stream},
                    {"BIRCH", false, EIrdaMode::Packet},
                    {"CEDAR", false, EIrdaMode::Stream},
                    {"LARCH", false, EIrdaMode::Packet},
                    {"ALDER", true, EIrdaMode::Stream}};
        for (const auto& entry : plan) {
            auto rig = std::make_unique<SSoakRig>();
            rig->model = entry.model;
            rig->serial = entry.serial;
            rig->mode = entry.mode;
            rig->imageSize = Traits(rig->model).imageSize;
            Bytes image = Pattern(rig->imageSize, static_cast<std::uint8_t>(rigs_.size() * 17));
            if (Traits(rig->model).twoBanks) image[kConverterByteOffset] = 1;  // Birch takes it
            rig->imageFile =
                std::make_unique<CTempImage>("soak-" + std::to_string(rigs_.size()), image);
            std::string description = rig->model + ",sn=" + std::to_string(700 + rigs_.size()) +
                                      ",image=" + rig->imageFile->Path() +
                                      ",delay=" + std::to_string(kLateBy.count());
            if (rig->serial) description += ",link=serial";
            description += FaultSchedule(random, rig->serial, rig->faults);
            rig->radios =
                std::make_unique<sim::CVirtualRadios>(std::vector<std::string>{description});
            SLinkConfig config = rig->radios->LinkConfig();
            config.irdaMode = rig->mode;
            rig->ports = std::make_unique<CLinkPorts>(config);
            rig->ports->SetWindow(kWindow);
            if (rig->serial) {
                rig->serialWare = std::make_unique<CSerialTestWare>();
                rig->radio = &rig->serialWare->TestRadio();
            } else {
                rig->radio = &DeliveredRadio(rig->model);
            }
            ASSERT_TRUE(rig->radio->Ware()->AttachData(rig->radio, nullptr, nullptr));
            PrepareTexts(*rig);
            rigs_.push_back(std::move(rig));
        }
    }

    // Two parameter sets per model, what the radio's first image decodes to and the model's
    // defaults, and what each reads back as after a write into a radio that behaves. The two
    // texts differ in places: the allowed ranges are the radio's (its factory segment is never
    // written), and a set without a priority channel is read back with the lowest channel.
    void PrepareTexts(SSoakRig& rig) {
        IRadioData& data = *rig.radio->Data();
        ASSERT_TRUE(RunOn(rig, EOp::Read).ok) << rig.model;
        rig.texts.push_back(Text(data));
        data.Reset();
        rig.texts.push_back(Text(data));
        for (const std::string& text : rig.texts) {
            ASSERT_TRUE(Load(data, text)) << rig.model;
            ASSERT_TRUE(RunOn(rig, EOp::Write).ok) << rig.model;
            ASSERT_TRUE(RunOn(rig, EOp::Read).ok) << rig.model;
            rig.readBack.push_back(Text(data));
        }
        ASSERT_NE(rig.readBack[0], rig.readBack[1]) << rig.model;
    }

    std::vector<std::unique_ptr<SSoakRig>> rigs_;
};

TEST_F(Soak, RandomFaultsNeitherCorruptWhatIsWrittenNorLeak) {
    ASSERT_EQ(rigs_.size(), 5u);
    int written = 0, failedWrites = 0, faultsPlanned = 0;
    long residentAfterWarmUp = 0;
    int descriptorsAfterWarmUp = 0, threadsAfterWarmUp = 0;
    long residentPeak = 0;
    std::mt19937 random(1337);
    for (const auto& rig : rigs_) faultsPlanned += rig->faults;

    for (int cycle = 0; cycle < kCycles; ++cycle) {
        SSoakRig& rig = *rigs_[static_cast<std::size_t>(cycle) % rigs_.size()];
        IRadioData& data = *rig.radio->Data();
        const std::size_t pick = random() % rig.texts.size();
        ASSERT_TRUE(Load(data, rig.texts[pick])) << rig.model << " cycle " << cycle;
        if (RunOn(rig, EOp::Write).ok) {
            ++written;
            ASSERT_TRUE(ReadPatiently(rig)) << rig.model << " cycle " << cycle;
            EXPECT_EQ(FirstDifference(Text(data), rig.readBack[pick]), "")
                << rig.model << " cycle " << cycle << ": what was written reads back otherwise";
        } else {
            ++failedWrites;
        }
        // The virtual radio keeps a log of every request for tests to look at; it is not the
        // program's memory.
        rig.radios->Radio(0).ClearRequests();
        EXPECT_FALSE(rig.ports->Irda().isOpen()) << rig.model << " cycle " << cycle;
        EXPECT_FALSE(rig.ports->Serial().isOpen()) << rig.model << " cycle " << cycle;

        if (cycle + 1 == kWarmUpCycles) {
            residentAfterWarmUp = ResidentKiB();
            descriptorsAfterWarmUp = OpenDescriptors();
            threadsAfterWarmUp = ThreadCount();
        }
        if (cycle + 1 > kWarmUpCycles) residentPeak = std::max(residentPeak, ResidentKiB());
    }

    // The run must have met faults and still have written most of the time.
    EXPECT_GT(faultsPlanned, 10);
    EXPECT_GT(failedWrites, 0);
    EXPECT_GT(written, kCycles / 2);
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    // The sanitizers hold freed memory in quarantine and shadow it, so resident memory says
    // nothing about leaks there; LeakSanitizer looks for them instead.
    constexpr bool kResidentTellsLeaks = false;
#else
    constexpr bool kResidentTellsLeaks = true;
#endif
    if (kResidentTellsLeaks) {
        EXPECT_LE(residentPeak - residentAfterWarmUp, kResidentToleranceKiB)
            << "resident memory grew from " << residentAfterWarmUp << " KiB to " << residentPeak
            << " KiB";
    }
    EXPECT_LE(OpenDescriptors() - descriptorsAfterWarmUp, kDescriptorTolerance);
    EXPECT_EQ(ThreadCount(), threadsAfterWarmUp);
    RecordProperty("written", written);
    RecordProperty("failedWrites", failedWrites);
    RecordProperty("residentGrowthKiB", static_cast<int>(residentPeak - residentAfterWarmUp));
}

}  // namespace
