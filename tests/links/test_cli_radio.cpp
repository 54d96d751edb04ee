// tessel-cli's radio verbs against virtual radios: what they print, their exit codes and the
// system's messages.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "../file_bytes.h"

namespace {

namespace fs = std::filesystem;

struct SRun {
    int code;
    std::string out;
    std::string err;
};

SRun Cli(const std::string& arguments, const std::string& environment = "") {
    const fs::path err = fs::path(::testing::TempDir()) /
                         ("tessel-cli-radio-" + std::to_string(::getpid()) + ".err");
    // The copies taken before writes go to the test's own folder.
    const std::string command =
        "XDG_DATA_HOME=" + ::testing::TempDir() + "tessel-cli-radio-" + std::to_string(::getpid()) +
        " " + environment + TESSEL_TEST_BIN_DIR + "/tessel-cli " + arguments + " 2>" + err.string();
    SRun run{};
    FILE* pipe = ::popen(command.c_str(), "r");
    std::array<char, 4096> buffer{};
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
        run.out.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(err);
    std::ostringstream text;
    text << in.rdbuf();
    run.err = text.str();
    return run;
}

// Files of this test process only: ctest runs the cases side by side.
std::string Temp(const std::string& name) {
    return (fs::path(::testing::TempDir()) / (std::to_string(::getpid()) + "-" + name)).string();
}

TEST(CliRadio, InfoNamesTheRadioInRange) {
    const SRun run = Cli("info --virtual-radio CEDAR,sn=3000000000,bank=1");
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out.rfind("platform\tIrDA: virtual neighbourhood in ", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("model\tCEDAR\tКедр-1\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("serial\t-1294967296\n"), std::string::npos);
    EXPECT_NE(run.out.find("range\t136000000-174000000\n"), std::string::npos);
    EXPECT_NE(run.out.find("bank\t1\n"), std::string::npos);
}

TEST(CliRadio, NoRadioIsAFailureWithTheSystemsMessage) {
    const SRun run = Cli("info --virtual-radio LARCH,fw=LARCX");
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("Поиск радиостанции \"Ольха-1\"..."), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Радиостанция не найдена"), std::string::npos);
}

TEST(CliRadio, BadVirtualRadioIsAUsageError) {
    EXPECT_EQ(Cli("info --virtual-radio OAK").code, 2);
    EXPECT_EQ(Cli("info --virtual-radio ALDER,bank=2").code, 2);
}

TEST(CliRadio, ReadSearchesTheOtherModelsAndSavesTheFile) {
    const std::string file = Temp("read.brc");
    const SRun run =
        Cli("read --model LARCH -o " + file + " --virtual-radio BIRCH,sn=12,converter=7");
    ASSERT_EQ(run.code, 0) << run.err;
    // Larch first, then the list from the top, Larch skipped.
    const auto larch = run.err.find("\"Лиственница-1\"");
    const auto alder = run.err.find("\"Ольха-1\"");
    const auto birch = run.err.find("\"Берёза-1\"");
    EXPECT_LT(larch, alder);
    EXPECT_LT(alder, birch);
    EXPECT_EQ(run.err.find("\"Кедр-1\""), std::string::npos);
    EXPECT_NE(run.err.find("Радиостанция \"Лиственница-1\" не найдена, найдена радиостанция "
                           "\"Берёза-1\"\nРадиостанция \"Берёза-1\" найдена, заводской номер "
                           "12...\nЧтение параметров из "
                           "радиостанции...\n0%\n5%\n24%\n43%\n62%\n81%\n100%\nПараметры из "
                           "радиостанции считаны успешно — радиостанция \"Берёза-1\", заводской "
                           "номер 12\n"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.out.find("serial\t12\n"), std::string::npos);
    EXPECT_NE(run.out.find("converter\t5\tУПР-В3\n"), std::string::npos) << run.out;
    std::ifstream saved(file, std::ios::binary);
    std::string head(14, '\0');
    saved.read(head.data(), 14);
    EXPECT_EQ(head, "TESSEL302BIRCH");
}

TEST(CliRadio, FailedReadReportsTheReadError) {
    const SRun run = Cli("read -o " + Temp("never.ald") + " --virtual-radio ALDER,fault=short@5");
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("Ошибка чтения параметров из радиостанции..."), std::string::npos);
    EXPECT_FALSE(fs::exists(Temp("never.ald")));
}

TEST(CliRadio, WriteRefusedByTheModelSendsNothing) {
    const std::string file = Temp("empty.ald");
    ASSERT_EQ(Cli("new ALDER -o " + file).code, 0);
    const SRun run = Cli("write " + file + " --virtual-radio ALDER");
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("Нет активных каналов для записи параметров"), std::string::npos);
    EXPECT_EQ(run.err.find("Поиск"), std::string::npos);
}

// A parameter file with channel 0 in use: the default set with one key changed.
std::string AlderFileWithOneChannel() {
    const std::string file = Temp("one.ald");
    EXPECT_EQ(Cli("new ALDER -o " + file).code, 0);
    std::string body = ReadAll(file);
    const auto at = body.find("0Enabled=0");
    EXPECT_NE(at, std::string::npos) << body.size() << " bytes in " << file;
    if (at != std::string::npos) body.replace(at, 10, "0Enabled=1");
    std::ofstream(file, std::ios::binary) << body;
    return file;
}

TEST(CliRadio, WriteGoesToTheFilesModelOnly) {
    const SRun run = Cli("write " + AlderFileWithOneChannel() + " --virtual-radio BIRCH");
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("Поиск радиостанции \"Ольха-1\"..."), std::string::npos);
    EXPECT_NE(run.err.find("Радиостанция не найдена"), std::string::npos);
    EXPECT_EQ(run.err.find("\"Берёза-1\""), std::string::npos);
}

// The copy comes first: without it nothing is written. After the write the radio is read back
// over a fresh connection (requests 17 and 18 find it, 19..24 read it) unless --no-verify.
TEST(CliRadio, WriteKeepsACopyFirstAndChecksTheRadioAfterwards) {
    const std::string file = AlderFileWithOneChannel();
    const auto backupOf = [](const SRun& run) {
        const std::size_t at = run.out.find("backup\t");
        return at == std::string::npos ? std::string()
                                       : run.out.substr(at + 7, run.out.find('\n', at) - at - 7);
    };
    SRun run = Cli("write " + file + " --virtual-radio ALDER,sn=42");
    EXPECT_EQ(run.code, 0) << run.err;
    const std::string copy = backupOf(run);
    EXPECT_TRUE(fs::path(copy).filename().string().starts_with("alder-42-")) << run.out;
    EXPECT_TRUE(fs::exists(copy));
    EXPECT_NE(run.err.find("Проверка записи...\n"), std::string::npos);

    run = Cli("write " + file + " --virtual-radio ALDER,fault=silent@4");
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("Не удалось сохранить копию параметров радиостанции, запись не начата"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(run.err.find("Запись параметров в радиостанцию"), std::string::npos);

    run = Cli("write " + file + " --virtual-radio ALDER,fault=segment@20");
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("Проверка записи: ошибка чтения параметров из радиостанции — "
                           "радиостанция \"Ольха-1\", заводской номер 1000001. Прежние "
                           "параметры радиостанции: " +
                           backupOf(run)),
              std::string::npos)
        << run.err;

    run = Cli("write " + file + " --no-verify --virtual-radio ALDER,fault=segment@20");
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.err.find("Проверка записи"), std::string::npos);
}

TEST(CliRadio, DiffComparesAFileWithTheRadio) {
    const std::string file = AlderFileWithOneChannel();
    SRun run = Cli("diff " + file + " radio --virtual-radio ALDER,blank");
    EXPECT_EQ(run.code, 0) << run.err;
    // A title row naming both sides, then one aligned row per difference.
    EXPECT_TRUE(std::regex_search(run.out, std::regex("^Где +Параметр +Файл " + file +
                                                      " +Радиостанция\n"
                                                      "Канал 00 +Рабочий канал +Да +Нет\n")))
        << run.out;
    run = Cli("diff radio " + file + " --virtual-radio CEDAR");
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("Параметры относятся к разным моделям радиостанций"), std::string::npos);

    EXPECT_EQ(Cli("diff " + file + " " + file).out, "Различий нет\n");
    EXPECT_EQ(Cli("diff radio radio --virtual-radio ALDER").code, 2);
}

// A write of a one-channel Alder file, under each fault: the exit code, a text the messages hold
// and one they must not. Requests: 1 identification, 2 probe, 3-8 the copy of the memory,
// 9 clock, 10-14 segments, 15 release, 16 end of session.
TEST(CliRadio, WriteReportsProgressAndEachWayItEnds) {
    const struct {
        const char* radio;
        int code;
        const char *shown, *absent;
    } cases[] = {
        {"ALDER,bank=1", 0,
         "0%\n6%\n29%\n53%\n76%\n100%\n100%\nПараметры в радиостанцию записаны успешно", nullptr},
        // The link is gone after the second segment's answer of the write.
        {"ALDER,fault=drop@11", 1, "Ошибка записи параметров в радиостанцию", "записаны успешно"},
        {"ALDER,fault=short@16", 0,
         "Параметры в радиостанцию записаны (радиостанция не подтвердила окончание записи)",
         nullptr},
        // The link is gone before the release: the session never reaches its end.
        {"ALDER,fault=drop@14", 1, "Ошибка записи параметров в радиостанцию", "записаны"},
        // The link is gone before the end of the session: the radio cannot be asked.
        {"ALDER,fault=drop@15", 1,
         "Ошибка записи параметров в радиостанцию (радиостанция не ответила, записаны ли "
         "параметры, неизвестно)",
         nullptr},
    };
    const std::string file = AlderFileWithOneChannel();
    for (const auto& c : cases) {
        const SRun run = Cli("write " + file + " --virtual-radio " + c.radio);
        EXPECT_EQ(run.code, c.code) << c.radio << "\n" << run.err;
        EXPECT_NE(run.err.find(c.shown), std::string::npos) << c.radio << "\n" << run.err;
        if (c.absent) {
            EXPECT_EQ(run.err.find(c.absent), std::string::npos) << c.radio << "\n" << run.err;
        }
    }
}

TEST(CliRadio, WriteToAOneBankRadioWhoseEndOfSessionAnswerIsLostIsJudgedByTheReadBack) {
    // Larch: 1 identification, 2 probe, 3-5 the copy, 6 clock, 7-9 segments, 10 end of session.
    // Its bank never switches, so only what it now holds tells that the write happened.
    const std::string file = Temp("one.lrc");
    {
        std::ofstream out(file, std::ios::binary);
        out << "TESSEL302LARCH00\r\n0Enabled=1\r\n";
    }
    SRun run = Cli("write " + file + " --virtual-radio LARCH,fault=short@10");
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.err.find("(радиостанция не подтвердила окончание записи)"), std::string::npos)
        << run.err;
    // Without the read-back nothing tells: the write stays reported as failed.
    run = Cli("write " + file + " --no-verify --virtual-radio LARCH,fault=short@10");
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("Ошибка записи параметров в радиостанцию"), std::string::npos);
}

TEST(CliRadio, AnOpenNeighbourhoodFolderIsNamedAndNotSearched) {
    const fs::path runtime = Temp("runtime");
    fs::create_directories(runtime / "tessel-irda");
    fs::permissions(runtime / "tessel-irda", fs::perms::all);
    const SRun run =
        Cli("info",
            "env -u TESSEL_IRDA_DIR -u TESSEL_IRDA_PORT XDG_RUNTIME_DIR=" + runtime.string() + " ");
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find((runtime / "tessel-irda").string()), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Радиостанция не найдена"), std::string::npos);
    fs::remove_all(runtime);
}

// Several radios of one model: read and write take the one --serial names, refuse to guess
// without it, and a serial number not in range is not found.
TEST(CliRadio, SerialChoosesAmongRadiosOfOneModel) {
    const std::string two = " --virtual-radio ALDER,sn=11 --virtual-radio ALDER,sn=22";
    SRun run = Cli("read -o " + Temp("two.ald") + two);
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("В зоне связи несколько радиостанций \"Ольха-1\", заводские номера: "
                           "11, 22. Укажите заводской номер: --serial N"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(run.err.find("Чтение параметров"), std::string::npos);
    EXPECT_FALSE(fs::exists(Temp("two.ald")));

    run = Cli("read --serial 22 -o " + Temp("two.ald") + two);
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("serial\t22\n"), std::string::npos) << run.out;

    // info (like diff) picks the same way.
    EXPECT_EQ(Cli("info" + two).code, 1);
    run = Cli("info --serial 22" + two);
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("serial\t22\n"), std::string::npos) << run.out;

    run = Cli("read --serial 33 -o " + Temp("two.ald") + two);
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("Радиостанция \"Ольха-1\" с заводским номером 33 не найдена"),
              std::string::npos)
        << run.err;

    // The write lands in the radio named, and only there (each radio keeps its memory in a file).
    const std::string file = AlderFileWithOneChannel();
    const std::string first = Temp("first.mem");
    const std::string second = Temp("second.mem");
    fs::remove(first);
    fs::remove(second);
    const std::string kept = " --virtual-radio ALDER,sn=11,memory=" + first +
                             " --virtual-radio ALDER,sn=22,memory=" + second;
    EXPECT_EQ(Cli("write " + file + kept).code, 1);
    const std::string firstBefore = ReadAll(first);
    const std::string secondBefore = ReadAll(second);
    run = Cli("write " + file + " --serial 22" + kept);
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("serial\t22\n"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("Параметры в радиостанцию записаны успешно — радиостанция \"Ольха-1\", "
                           "заводской номер 22\n"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(ReadAll(first), firstBefore);
    EXPECT_NE(ReadAll(second), secondBefore);
    EXPECT_EQ(Cli("write " + file + " --serial 33" + kept).code, 1);
    fs::remove(first);
    fs::remove(second);
}

TEST(CliRadio, RadiosListsEveryRadioInRangeWithoutReadingIt) {
    SRun run =
        Cli("radios --virtual-radio LARCH,sn=3 --virtual-radio ALDER,sn=1 --virtual-radio "
            "ALDER,fw=ALDEX --virtual-radio ALDER,sn=2,link=serial --virtual-radio "
            "ALDER,sn=5");
    EXPECT_EQ(run.code, 0) << run.err;
    // Models in list order; the serial-only radio is not reachable by the infrared models, and
    // a radio no model accepts is not listed.
    EXPECT_EQ(
        run.out,
        "ALDER\t1\tirda\t0x00000002\nALDER\t5\tirda\t0x00000005\nLARCH\t3\tirda\t0x00000001\n")
        << run.err;
    EXPECT_EQ(run.err.find("Чтение"), std::string::npos);
    run = Cli("radios --virtual-radio LARCH,fw=LARCX");
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("Радиостанция не найдена"), std::string::npos);
}

// Two radio processes of one model in one neighbourhood, told apart by their serial numbers.
TEST(CliRadio, TwoRadioProcessesOfOneModelAreBothInRange) {
    const fs::path folder = Temp("neighbourhood");
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::vector<pid_t> radios;
    for (const char* sn : {"--sn=71", "--sn=72"}) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::setenv("TESSEL_IRDA_DIR", folder.c_str(), 1);
            const std::string sim = std::string(TESSEL_TEST_BIN_DIR) + "/tessel-radiosim";
            std::freopen("/dev/null", "w", stdout);
            ::execl(sim.c_str(), sim.c_str(), "ALDER", sn, static_cast<char*>(nullptr));
            ::_exit(127);
        }
        radios.push_back(pid);
    }
    for (int i = 0; i < 500 && std::distance(fs::directory_iterator(folder), {}) < 2; ++i)
        ::usleep(10000);
    const SRun run = Cli("radios", "TESSEL_IRDA_DIR=" + folder.string() + " ");
    for (const pid_t pid : radios) {
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
    }
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("ALDER\t71\tirda\t0x00000047\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("ALDER\t72\tirda\t0x00000048\n"), std::string::npos) << run.out;
    fs::remove_all(folder);
}

}  // namespace
