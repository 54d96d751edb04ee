// tessel-cli's radio verbs against virtual radios: what they print, their exit codes and the
// system's messages.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct SRun {
    int code;
    std::string out;
    std::string err;
};

SRun Cli(const std::string& arguments) {
    const fs::path err = fs::path(::testing::TempDir()) /
                         ("tessel-cli-radio-" + std::to_string(::getpid()) + ".err");
    const std::string command =
        std::string(TESSEL_TEST_BIN_DIR) + "/tessel-cli " + arguments + " 2>" + err.string();
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
    EXPECT_NE(run.err.find("Радиостанция найдена...\nЧтение параметров из "
                           "радиостанции...\n0%\n5%\n24%\n43%\n62%\n81%\n100%\nПараметры из "
                           "радиостанции считаны успешно"),
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
    std::string body;
    {
        std::ifstream in(file, std::ios::binary);
        body.assign(std::istreambuf_iterator<char>(in), {});
    }
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

TEST(CliRadio, WriteReportsProgressAndItsFailure) {
    const std::string file = AlderFileWithOneChannel();
    SRun run = Cli("write " + file + " --virtual-radio ALDER,bank=1");
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.err.find("0%\n6%\n29%\n53%\n76%\n100%\n100%\nПараметры в радиостанцию записаны "
                           "успешно"),
              std::string::npos)
        << run.err;

    run = Cli("write " + file + " --virtual-radio ALDER,fault=echo@6");
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("Ошибка записи параметров в радиостанцию"), std::string::npos);
    EXPECT_EQ(run.err.find("записаны успешно"), std::string::npos);
}

}  // namespace
