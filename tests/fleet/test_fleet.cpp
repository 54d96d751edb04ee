// The group write: its checksum, its log, the choice of the next radio, and whole groups
// against virtual radios in-process and, for a kill in mid-group, as processes.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "../file_bytes.h"
#include "U_demomemory.h"
#include "U_fleet.h"
#include "U_fleetsearch.h"
#include "U_modules.h"
#include "U_paramfile.h"
#include "U_sha256.h"
#include "U_shelltext.h"
#include "U_virtualradios.h"
#include "U_writesteps.h"

namespace fs = std::filesystem;
using namespace fleet;

namespace {

class Fleet : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/tessel-fleet-XXXXXX";
        dir_ = mkdtemp(pattern);
        static CModules modules(TESSEL_TEST_MODULE_ROOT);
        for (IRadio* radio : RadioList(modules))
            if (radio->Ware()->Description() == "ALDER") alder_ = radio;
        ASSERT_NE(alder_, nullptr);
        alder_->Ware()->AttachData(alder_, nullptr, nullptr);
        // The file: the demonstration radio's channels.
        std::vector<std::uint8_t> image = sim::DemoImage("ALDER");
        RequireOwnRadioData(alder_->Data()).DecodeImage(image);
        paramfile::SaveParameterFile(File("a.ald"), *alder_);
        checksum_ = FileChecksum(ReadAll(File("a.ald")));
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path File(const std::string& name) const { return dir_ / name; }

    // The group over virtual radios in range, until no new radio came for wait.
    SFleetCounts RunGroup(sim::CVirtualRadios& virtualRadios, CFleetLog& log,
                          std::chrono::milliseconds wait = std::chrono::milliseconds(400)) {
        CLinkPorts ports(virtualRadios.LinkConfig());
        ports.SetWindow(std::chrono::milliseconds(250));
        CLinkFleetRadios radios(ports);
        CLinkRadioWriter writer(radios, {}, {}, File("backups"));
        SFleetSettings settings{File("a.ald"), checksum_, 0, wait, std::chrono::milliseconds(20)};
        CFleetGroup group(*alder_, radios, writer, log, settings);
        IFleetObserver observer;
        return group.Run(observer);
    }

    fs::path dir_;
    IRadio* alder_ = nullptr;
    std::string checksum_;
};

TEST(Sha256, KnownDigests) {
    const struct {
        std::string text;
        const char* digest;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        // 56 bytes: the length no longer fits the first padded block.
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000, 'a'),
         "41edece42d63e8d9bf515a9ba6932e1c20cbc9f5a5d134645adb5db1b9737ea3"},
    };
    for (const auto& c : cases) EXPECT_EQ(Sha256Hex(c.text), c.digest) << c.text.size();
}

// A row is one line whatever its message holds; a torn last line is cut off, reported and not
// counted; a file that is not a group log is refused.
TEST_F(Fleet, LogKeepsWholeRowsOnly) {
    const fs::path file = File("log.csv");
    {
        CFleetLog log(file);
        log.Append({"2026-12-09T10:00:00", "ALDER", "7", EResult::Written, "a.ald", "sha256:x",
                    "b.ald", "две строки,\r\nс запятой и \"кавычками\""});
    }
    std::ofstream(file, std::ios::app) << "2026-12-09T10:01:00,ALDER,8,writ";
    {
        CFleetLog log(file);
        EXPECT_EQ(log.TornLine(), "2026-12-09T10:01:00,ALDER,8,writ");
        ASSERT_EQ(log.Rows().size(), 1u);
        EXPECT_EQ(log.Rows()[0].message, "две строки,  с запятой и \"кавычками\"");
        EXPECT_TRUE(log.WasWritten("ALDER", "7", "sha256:x"));
        EXPECT_FALSE(log.WasWritten("ALDER", "7", "sha256:y"));
        log.Append(
            {"2026-12-09T10:02:00", "ALDER", "8", EResult::Failed, "a.ald", "sha256:x", "", "нет"});
    }
    const std::string text = ReadAll(file);
    EXPECT_EQ(text.find("writ\n"), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3);
    EXPECT_TRUE(text.starts_with(std::string(kLogHeader) + "\r\n"));
    EXPECT_TRUE(CFleetLog(file).TornLine().empty());

    std::ofstream(File("other.csv")) << "Location,Name,Frequency\r\n";
    for (const fs::path& file : {File("other.csv"), dir_})
        EXPECT_THROW(CFleetLog{file}, std::runtime_error) << file;
}

// Which radio in range is written next: each once, the ones the log has written with this file
// never again unless asked, another model named once and left alone, and the count ends it.
TEST_F(Fleet, WritesEachRadioOnceUnlessAsked) {
    struct CScripted final : IFleetRadios, IRadioWriter, IFleetObserver {
        std::vector<SRadioInRange> inRange;
        std::vector<std::string> written;
        std::vector<std::string> again;
        int polls = 0;
        std::vector<SRadioInRange> InRange(IRadio&) override {
            ++polls;
            return inRange;
        }
        std::unique_ptr<CRadioNet> Open(IRadio&, const std::string&) override { return {}; }
        SWriteOutcome Write(IRadio&, const std::string& serial) override {
            written.push_back(serial);
            return {serial == "3" ? EResult::Failed : EResult::Written, "m", {}};
        }
        bool ShouldStop() override { return polls > 5; }
        std::vector<std::string> TakeAgain() override { return std::exchange(again, {}); }
    };
    const struct {
        const char* name;
        int count;
        std::vector<std::string> again;
        std::vector<std::string> written;
    } cases[] = {
        {"each once, the logged one passed over", 0, {}, {"2", "3"}},
        {"asked again", 0, {"1"}, {"1", "2", "3"}},
        {"count", 1, {}, {"2"}},
    };
    for (const auto& c : cases) {
        fs::remove(File("log.csv"));
        CFleetLog log(File("log.csv"));
        log.Append({"t", "ALDER", "1", EResult::Written, "a.ald", checksum_, "", ""});
        log.Append({"t", "ALDER", "2", EResult::Written, "a.ald", "sha256:other", "", ""});
        CScripted scripted;
        scripted.inRange = {{"ALDER", "1"}, {"BIRCH", "1"}, {"ALDER", "2"}, {"ALDER", "3"}};
        scripted.again = c.again;
        CFleetGroup group(
            *alder_, scripted, scripted, log,
            {File("a.ald"), checksum_, c.count, std::nullopt, std::chrono::milliseconds(1)});
        const SFleetCounts counts = group.Run(scripted);
        EXPECT_EQ(scripted.written, c.written) << c.name;
        EXPECT_EQ(counts.skipped, 1) << c.name;  // the Birch, once
        EXPECT_EQ(log.Rows().size(), 2 + c.written.size() + 1) << c.name;
        const auto birch = std::ranges::find(log.Rows(), "BIRCH", &SLogRow::model);
        ASSERT_NE(birch, log.Rows().end()) << c.name;
        EXPECT_EQ(birch->result, EResult::Skipped) << c.name;
    }
}

// Twenty radios brought one after another, some misbehaving: each is written once or fails
// plainly, and what only the radio carries (its text) stays the radio's.
TEST_F(Fleet, TwentyRadiosWithFaults) {
    std::vector<std::uint8_t> image = sim::DemoImage("ALDER");
    const std::string text = "RADIO-OWN-TEXT$";
    std::copy(text.begin(), text.end(), image.begin() + 0x700);
    std::ofstream(File("radio.img"), std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), static_cast<long>(image.size()));
    // Requests of each radio: 1 its listing, 2-3 its opening, 4-9 the copy, 10 the clock,
    // 11-15 the segments, 16 the bank named, 17 the end of the session.
    const std::map<std::string, std::pair<EResult, std::string>> expected = {
        {"2000003", {EResult::Failed, shelltext::kWriteError}},         // drop@12
        {"2000007", {EResult::Failed, shelltext::kWriteError}},         // silent@14
        {"2000012", {EResult::Written, shelltext::kWriteUnconfirmed}},  // lose@17
        {"2000015", {EResult::Failed, shelltext::kBackupError}},        // lose@5
    };
    sim::CVirtualRadios radios({"alder,sn=2000001,fleet=20,image=" + File("radio.img").string() +
                                ",fleetfault=3:drop@12,fleetfault=7:silent@14"
                                ",fleetfault=12:lose@17,fleetfault=15:lose@5"});
    CFleetLog log(File("log.csv"));
    const SFleetCounts counts = RunGroup(radios, log);
    EXPECT_EQ(counts.written, 17);
    EXPECT_EQ(counts.failed, 3);
    ASSERT_EQ(log.Rows().size(), 20u);
    for (std::size_t i = 0; i < log.Rows().size(); ++i) {
        const SLogRow& row = log.Rows()[i];
        EXPECT_EQ(row.serial, std::to_string(2000001 + i));
        EXPECT_EQ(row.checksum, checksum_);
        EXPECT_EQ(row.backup.empty(), row.message == shelltext::kBackupError) << row.serial;
        const auto special = expected.find(row.serial);
        const EResult result = special == expected.end() ? EResult::Written : special->second.first;
        const std::string message =
            special == expected.end() ? shelltext::kWriteDone : special->second.second;
        EXPECT_EQ(row.result, result) << row.serial << " " << row.message;
        EXPECT_TRUE(row.message.starts_with(message)) << row.serial << " " << row.message;
    }
    // The last radio, the only one still to be looked at, holds its own text.
    const std::vector<std::uint8_t> held = radios.Radio(0).Image();
    EXPECT_EQ(std::string(held.begin() + 0x700, held.begin() + 0x700 + text.size()), text);
}

// Two radios of the model in range at once and one of another model: both written once, the
// other named once, however often the range is looked at.
TEST_F(Fleet, SeveralRadiosInRangeAtOnce) {
    sim::CVirtualRadios radios({"alder,sn=11", "birch,sn=12", "alder,sn=13"});
    CFleetLog log(File("log.csv"));
    const SFleetCounts counts = RunGroup(radios, log);
    EXPECT_EQ(counts.written, 2);
    EXPECT_EQ(counts.skipped, 1);
    ASSERT_EQ(log.Rows().size(), 3u);
    std::multiset<std::string> seen;
    for (const SLogRow& row : log.Rows()) seen.insert(row.model + "/" + row.serial);
    EXPECT_EQ(seen, (std::multiset<std::string>{"ALDER/11", "ALDER/13", "BIRCH/12"}));
    EXPECT_EQ(radios.Radio(0).BankFlag(), 1);
    EXPECT_EQ(radios.Radio(2).BankFlag(), 1);
    EXPECT_EQ(radios.Radio(1).BankFlag(), 0);
}

// Programs started as the operator starts them, all in one infrared neighbourhood.
class FleetProcesses : public Fleet {
  protected:
    pid_t Spawn(std::vector<std::string> args) const {
        const fs::path irda = File("irda");
        fs::create_directories(irda);
        fs::permissions(irda, fs::perms::owner_all);
        const pid_t pid = fork();
        if (pid == 0) {
            setenv("TESSEL_IRDA_DIR", irda.c_str(), 1);
            setenv("XDG_DATA_HOME", File("data").c_str(), 1);
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
            std::vector<char*> argv;
            for (std::string& arg : args) argv.push_back(arg.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        return pid;
    }
    static int ExitStatus(pid_t pid) {
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    long Rows() const {
        const std::string text = ReadAll(File("log.csv"));
        return std::count(text.begin(), text.end(), '\n') - 1;
    }
    std::vector<std::string> FleetArgs() const {
        return {
            kBin + "/tessel-cli", "fleet", File("a.ald"), "--log", File("log.csv"), "--wait", "2"};
    }
    const std::string kBin = TESSEL_TEST_BIN_DIR;
};

// Ctrl+C in mid-write: the radio is finished and logged, then the group ends, with status 0
// as every radio attempted was written.
TEST_F(FleetProcesses, InterruptEndsBetweenRadios) {
    const pid_t sim = Spawn({kBin + "/tessel-radiosim", "alder", "--sn=3100001", "--fleet=3",
                             "--fleetfault=1:late@12", "--delay=800"});
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const pid_t group = Spawn(FleetArgs());
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    kill(group, SIGINT);
    EXPECT_EQ(ExitStatus(group), 0);
    kill(sim, SIGTERM);
    ExitStatus(sim);
    CFleetLog log(File("log.csv"));
    ASSERT_EQ(log.Rows().size(), 1u);
    EXPECT_EQ(log.Rows()[0].result, EResult::Written);
}

// tessel-cli killed with SIGKILL in mid-group and started again with the same log: every radio
// ends up written exactly once in the log, none lost, none twice.
TEST_F(FleetProcesses, KilledGroupCarriesOnWithTheSameLog) {
    // The fourth radio answers its second segment late: the kill comes in mid-write.
    const pid_t sim = Spawn({kBin + "/tessel-radiosim", "alder", "--sn=3000001", "--fleet=8",
                             "--fleetfault=4:late@12", "--delay=1500"});
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const pid_t first = Spawn(FleetArgs());
    for (int i = 0; i < 1000 && Rows() < 3; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    kill(first, SIGKILL);
    ExitStatus(first);
    EXPECT_EQ(Rows(), 3);

    EXPECT_EQ(ExitStatus(Spawn(FleetArgs())), 0);
    kill(sim, SIGTERM);
    ExitStatus(sim);

    CFleetLog log(File("log.csv"));
    EXPECT_TRUE(log.TornLine().empty());
    std::multiset<std::string> written;
    for (const SLogRow& row : log.Rows()) {
        EXPECT_EQ(row.result, EResult::Written) << row.serial << " " << row.message;
        written.insert(row.serial);
    }
    std::multiset<std::string> all;
    for (int i = 0; i < 8; ++i) all.insert(std::to_string(3000001 + i));
    EXPECT_EQ(written, all);
}

}  // namespace

// The copy before a write borrows the set for the radio's memory: whether the copy is saved or
// refused, the set holds the file's parameters again afterwards, and a refusal says why.
TEST_F(Fleet, TheCopyBeforeAWriteGivesTheSetBack) {
    const std::vector<std::uint8_t> image = sim::DemoImage("ALDER");
    std::ofstream(File("radio.img"), std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), static_cast<long>(image.size()));
    std::ofstream(File("not-a-folder")) << "x";
    const auto body = [this] {
        std::ostringstream out;
        RequireOwnRadioData(alder_->Data()).WriteText(out);
        return out.str();
    };
    alder_->Data()->Reset();  // the file's set differs from the radio's memory
    const std::string file = body();
    const struct {
        fs::path folder;
        bool saved;
    } cases[] = {{File("backups"), true}, {File("not-a-folder") / "backups", false}};
    for (const auto& each : cases) {
        sim::CVirtualRadios radios({"alder,sn=11,image=" + File("radio.img").string()});
        CLinkPorts ports(radios.LinkConfig());
        CLinkFleetRadios fleetRadios(ports);
        const std::unique_ptr<CRadioNet> net = fleetRadios.Open(*alder_, "11");
        ASSERT_NE(net, nullptr);
        std::string memory;
        const SBackupCopy copy =
            CWriteSteps(*alder_, {}).TakeBackup(*net, each.folder, [&] { memory = body(); });
        EXPECT_EQ(fs::is_regular_file(copy.file), each.saved) << each.folder;
        EXPECT_EQ(copy.problem.empty(), each.saved) << copy.problem;
        EXPECT_EQ(!memory.empty() && memory != file, each.saved);
        EXPECT_EQ(body(), file);
    }
}
