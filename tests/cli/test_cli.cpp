// tessel-cli as a user runs it: its output, its files and its exit status.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include "../file_bytes.h"

namespace fs = std::filesystem;

namespace {

struct SResult {
    int status = -1;
    std::string out, err;
};

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

// Channel lists and printed lists go out only into regular files someone may write, and come in
// only from regular files of at most 1 MiB; nothing waits on a FIFO.
TEST_F(Cli, ListsRefuseWhatIsNotARegularFile) {
    ASSERT_EQ(Run("new alder -o " + File("a.ald").string()).status, 0);
    ASSERT_EQ(mkfifo(File("fifo").c_str(), 0644), 0);
    WriteAll(File("ro.csv"), "kept");
    chmod(File("ro.csv").c_str(), 0444);
    WriteAll(File("big.csv"), "Location");
    fs::resize_file(File("big.csv"), (1u << 20) + 1);
    const std::string a = File("a.ald").string(), into = " --model alder -o " + File("x").string();
    const std::string notRegular = "это не обычный файл";
    const std::pair<std::string, std::string> cases[] = {
        {"export " + a + " -o " + File("fifo").string(), notRegular},
        {"export " + a + " -o /dev/full", notRegular},
        {"export " + a + " -o " + File("ro.csv").string(), "он только для чтения"},
        {"print " + a + " -o " + File("fifo").string(), notRegular},
        {"print " + a + " -o /dev/full", notRegular},
        {"import " + File("fifo").string() + into, notRegular},
        {"import " + dir_.string() + into, notRegular},
        {"import /dev/zero" + into, notRegular},
        {"import " + File("big.csv").string() + into, "он больше 1 МиБ"},
    };
    for (const auto& [arguments, message] : cases) {
        const SResult result = Run(arguments);
        EXPECT_EQ(result.status, 1) << arguments;
        EXPECT_NE(result.err.find(message), std::string::npos) << arguments << ": " << result.err;
    }
    EXPECT_EQ(ReadAll(File("ro.csv")), "kept");
    EXPECT_TRUE(fs::is_fifo(File("fifo")));
    EXPECT_FALSE(fs::exists(File("x")));
}

// A radio that answers the search and then nothing more ends the search at once, plainly.
TEST_F(Cli, AQuietRadioIsNamedAndNotSoughtAsEveryModel) {
    const SResult result =
        Run("read --virtual-radio alder,fault=silent -o " + File("r.ald").string());
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("Радиостанция не отвечает ("), std::string::npos) << result.err;
    const std::string search = "Поиск радиостанции";
    const std::size_t first = result.err.find(search);
    EXPECT_EQ(result.err.find(search, first + 1), std::string::npos) << result.err;
}

TEST_F(Cli, AQuietRadioDoesNotHideARadioThatAnswers) {
    const SResult result =
        Run("read --model birch --virtual-radio alder,fault=silent "
            "--virtual-radio larch -o " +
            File("r.lrc").string());
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ReadAll(File("r.lrc")).substr(0, 16), "TESSEL302LARCH00");
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

// Channel lists through the tool: a list with a refused row writes nothing unless --skip-bad;
// --into changes the given file and keeps its other channels.
TEST_F(Cli, ChannelListsGoInAndOutOfParameterFiles) {
    const std::string list = File("list.csv").string();
    WriteAll(list,
             "Location,Frequency,Duplex,Offset,Tone,rToneFreq\r\n"
             "2,40.000000,+,1.000000,Tone,67.0\r\n"  // Larch keeps one tone for both ways
             "3,41.000000,,0,TSQL,88.5\r\n");
    SResult result = Run("import " + list + " --model larch -o " + File("a.lst").string());
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("Строка 2, канал 2: разные тоны приема"), std::string::npos)
        << result.err;
    EXPECT_FALSE(fs::exists(File("a.lst")));

    result = Run("import " + list + " --model larch --skip-bad -o " + File("a.lst").string());
    EXPECT_EQ(result.status, 0) << result.err;
    WriteAll(list, "Location,Frequency\r\n5,42.000000\r\n");
    result = Run("import " + list + " --model larch --into " + File("a.lst").string());
    EXPECT_EQ(result.status, 0) << result.err;

    result = Run("export " + File("a.lst").string() + " -o " + File("out.csv").string());
    EXPECT_EQ(result.status, 0) << result.err;
    const std::string csv = ReadAll(File("out.csv"));
    EXPECT_NE(csv.find("\r\n3,,41.000000,,0.000000,TSQL,88.5,88.5,"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\n5,,42.000000,,0.000000,,88.5,88.5,"), std::string::npos) << csv;
    EXPECT_EQ(csv.find("\r\n2,"), std::string::npos);
    EXPECT_EQ(Run("import " + list + " --model larch").status, 2);
}

std::string Output(const std::string& command) {
    FILE* pipe = popen(command.c_str(), "r");
    std::string text;
    std::array<char, 4096> buffer{};
    while (const std::size_t n = fread(buffer.data(), 1, buffer.size(), pipe))
        text.append(buffer.data(), n);
    pclose(pipe);
    return text;
}

// The line of a laid-out text that holds the caption.
std::string LineWith(const std::string& text, const std::string& caption) {
    const std::size_t at = text.find(caption);
    if (at == std::string::npos) return {};
    const std::size_t begin = text.rfind('\n', at) + 1;
    return text.substr(begin, text.find('\n', at) - begin);
}

// The printable list: 20 channels on the first A4 page, 100 on more; every setting in the words
// the view shows, captions and values side by side; pages that render.
TEST_F(Cli, ThePrintedListShowsTheViewsWordsAndFitsTwentyChannelsOnAPage) {
    for (const int channels : {20, 100}) {
        std::string list = "Location,Frequency\r\n";
        for (int i = 0; i < channels; ++i) {
            const int hertz = 136100000 + i * 25000;
            char row[32];
            std::snprintf(row, sizeof row, "%d,%d.%06d\r\n", i, hertz / 1000000, hertz % 1000000);
            list += row;
        }
        WriteAll(File("list.csv"), list);
        const std::string file = File("c" + std::to_string(channels) + ".ced").string();
        ASSERT_EQ(Run("import " + File("list.csv").string() + " --model cedar -o " + file).status,
                  0);
        const std::string pdf = File("list.pdf").string();
        const SResult print = Run("print " + file + " -o " + pdf);
        ASSERT_EQ(print.status, 0) << print.err;

        const std::string info = Output("pdfinfo " + pdf);
        EXPECT_NE(info.find("Page size:       595 x 842 pts (A4)"), std::string::npos) << info;
        const std::size_t pages = info.find("Pages:");
        ASSERT_NE(pages, std::string::npos);
        EXPECT_GT(std::stoi(info.substr(pages + 6)), channels == 20 ? 0 : 1);
        const std::string first = Output("pdftotext -layout -f 1 -l 1 " + pdf + " -");
        EXPECT_NE(first.find("136 575 000"), std::string::npos) << first;  // channel 19
        if (channels == 100) continue;
        const std::string text = Output("pdftotext -layout " + pdf + " -");
        for (const auto& [caption, value] : std::vector<std::pair<std::string, std::string>>{
                 {"Мощность передатчика", "Номинальная"},
                 {"Порог срабатывания шумоподавителя", "Уровень 2"},
                 {"Длительность посылки одного DTMF символа, мсек", "93,66"},
                 {"Подсветка индикатора и клавиатуры", "Вкл"},
                 {"Отображение температуры", "Выкл"},
                 {"Пароль на изменение параметров", "(не печатается)"}})
            EXPECT_NE(LineWith(text, caption).find(value), std::string::npos) << caption << "\n"
                                                                              << text;
        for (const char* heading : {"Основные параметры", "Параметры сканирования",
                                    "Дополнительные параметры", "Режим экономии энергии"})
            EXPECT_NE(text.find(heading), std::string::npos) << heading;
        const std::string image = File("page").string();
        ASSERT_EQ(
            std::system(("pdftoppm -r 40 -png -f 1 -l 1 -singlefile " + pdf + " " + image).c_str()),
            0);
        EXPECT_GT(fs::file_size(image + ".png"), 1000u);
    }
}

}  // namespace
