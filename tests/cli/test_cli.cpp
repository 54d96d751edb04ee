// tessel-cli as a user runs it: its output, its files and its exit status.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

struct SResult {
    int status = -1;
    std::string out, err;
};

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

class Cli : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/tessel-cli-XXXXXX";
        dir_ = mkdtemp(pattern);
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path File(const std::string& name) const { return dir_ / name; }

    SResult Run(const std::string& arguments) const {
        const fs::path err = dir_ / "stderr.txt";
        const std::string command =
            std::string(TESSEL_TEST_BIN_DIR) + "/tessel-cli " + arguments + " 2>" + err.string();
        SResult result;
        FILE* pipe = popen(command.c_str(), "r");
        std::array<char, 4096> buffer{};
        while (const std::size_t n = fread(buffer.data(), 1, buffer.size(), pipe))
            result.out.append(buffer.data(), n);
        const int raw = pclose(pipe);
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.err = ReadAll(err);
        return result;
    }

    // The identifiers of the loaded modules, in registry order.
    std::vector<std::string> Models() const {
        std::vector<std::string> models;
        std::istringstream lines(Run("models").out);
        for (std::string line; std::getline(lines, line);)
            models.push_back(line.substr(0, line.find('\t')));
        return models;
    }

    fs::path dir_;
};

TEST_F(Cli, ListsTheModulesInRegistryOrder) {
    const SResult result = Run("models");
    EXPECT_EQ(result.status, 0);
    const std::vector<std::string> models = Models();
    ASSERT_FALSE(models.empty());
    EXPECT_TRUE(std::is_sorted(models.begin(), models.end()));
    EXPECT_NE(result.out.find("ALDER\t1.1.0\tОльха-1\tald\t1\n"), std::string::npos);
}

TEST_F(Cli, WrongCommandLinesAreUsageErrors) {
    for (const char* arguments :
         {"", "frobnicate", "new alder", "new alder -o", "show", "new alder -o x --bogus y",
          "new nosuchmodel -o x", "encode f -o i --date 2026-13-01"}) {
        const SResult result = Run(arguments);
        EXPECT_EQ(result.status, 2) << arguments;
        EXPECT_NE(result.err.find("usage"), std::string::npos) << arguments;
    }
}

TEST_F(Cli, FailuresCarryTheProgramsOwnMessages) {
    WriteAll(File("short.ald"), "TESSEL302ALDER0");
    WriteAll(File("other.ald"), "TESSEL302OTHER00\r\n");
    ASSERT_EQ(Run("new alder -o " + File("a.ald").string()).status, 0);
    WriteAll(File("old.img"), "previous image");
    chmod(File("old.img").c_str(), 0444);
    const std::pair<std::string, std::string> cases[] = {
        {"show " + File("missing.ald").string(), "Ошибка чтения парамеров из файла!"},
        {"show " + File("short.ald").string(), "Файл поврежден или имеет неверный формат"},
        {"show " + File("other.ald").string(),
         "Параметры из файла не соответствуют ни одной радиостанции!"},
        {"decode " + Models().front() + " " + File("short.ald").string() + " -o " +
             File("x").string(),
         "Файл поврежден или имеет неверный формат"},
        {"new " + Models().front() + " -o " + File("no/such/dir/x").string(),
         "Ошибка сохранения парамеров в файле!"},
        {"show " + dir_.string(), "Ошибка чтения парамеров из файла!"},
        {"decode alder " + dir_.string() + " -o " + File("x").string(),
         "Ошибка чтения парамеров из файла!"},
        {"encode " + File("a.ald").string() + " -o " + File("old.img").string(),
         "Ошибка сохранения парамеров в файле!"},  // a read-only image stays
    };
    for (const auto& [arguments, message] : cases) {
        const SResult result = Run(arguments);
        EXPECT_EQ(result.status, 1) << arguments;
        EXPECT_EQ(result.err, message + "\n") << arguments;
    }
    EXPECT_EQ(ReadAll(File("old.img")), "previous image");
}

TEST_F(Cli, ShowPrintsUtf8Throughout) {
    WriteAll(File("c.ald"), "TESSEL302ALDER00\r\n0Enabled=1\r\n");
    const SResult shown = Run("show " + File("c.ald").string());
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_NE(shown.out.find("(нет)"), std::string::npos) << shown.out;
    EXPECT_EQ(shown.out.find("(\xED\xE5\xF2)"), std::string::npos) << "Windows-1251 bytes";
}

TEST_F(Cli, ANewAlderFileStartsWithItsHeaderAndTheRanges) {
    ASSERT_EQ(Run("new alder -o " + File("a.ald").string()).status, 0);
    const std::string bytes = ReadAll(File("a.ald"));
    EXPECT_EQ(bytes.substr(0, 33), "TESSEL302ALDER00\r\nFR1=145000000\r\n");
}

TEST_F(Cli, EveryModelRoundTripsThroughFilesAndImages) {
    for (const std::string& model : Models()) {
        SCOPED_TRACE(model);
        const std::string fresh = File(model + "-fresh").string();
        const std::string once = File(model + "-once").string();
        const std::string twice = File(model + "-twice").string();
        ASSERT_EQ(Run("new " + model + " -o " + fresh).status, 0);
        EXPECT_EQ(ReadAll(fresh).substr(0, 9 + model.size() + 4), "TESSEL302" + model + "00\r\n");
        ASSERT_EQ(Run("convert " + fresh + " -o " + once).status, 0);
        ASSERT_EQ(Run("convert " + once + " -o " + twice).status, 0);
        EXPECT_EQ(ReadAll(once), ReadAll(twice));

        const SResult shown = Run("show " + once);
        EXPECT_EQ(shown.status, 0);
        EXPECT_NE(shown.out.find("Рабочие каналы: 0"), std::string::npos);

        const std::string image = File(model + ".img").string();
        const std::string decoded = File(model + "-decoded").string();
        const std::string image2 = File(model + "-2.img").string();
        ASSERT_EQ(Run("encode " + once + " -o " + image + " --date 2026-12-08").status, 0);
        ASSERT_EQ(Run("decode " + model + " " + image + " -o " + decoded).status, 0);
        ASSERT_EQ(Run("encode " + decoded + " -o " + image2 + " --date 2026-12-08").status, 0);
        EXPECT_EQ(ReadAll(image), ReadAll(image2));
    }
}

TEST_F(Cli, AFileOpensAsEveryOtherModel) {
    const std::vector<std::string> models = Models();
    for (const std::string& from : models) {
        const std::string source = File(from).string();
        ASSERT_EQ(Run("new " + from + " -o " + source).status, 0);
        for (const std::string& to : models) {
            SCOPED_TRACE(from + " as " + to);
            const std::string target = File(from + "-as-" + to).string();
            const SResult result = Run("convert " + source + " -o " + target + " --model " + to);
            ASSERT_EQ(result.status, 0) << result.err;
            EXPECT_EQ(ReadAll(target).substr(0, 16), "TESSEL302" + to + "00");
        }
    }
}

TEST_F(Cli, TheDateGoesIntoTheImage) {
    ASSERT_EQ(Run("new alder -o " + File("a.ald").string()).status, 0);
    ASSERT_EQ(Run("encode " + File("a.ald").string() + " -o " + File("a.img").string() +
                  " --date 2031-02-28")
                  .status,
              0);
    const std::string image = ReadAll(File("a.img"));
    ASSERT_EQ(image.size(), 2688u);
    EXPECT_EQ(image.substr(0x77A, 6), std::string("\x00\x00\x1C\x02\xEF\x07", 6));
}

}  // namespace
