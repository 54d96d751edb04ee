// The copies kept before writes and the comparison of a read-back with what was written.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "U_backup.h"

namespace fs = std::filesystem;

namespace {

TEST(Backup, KeepsTheNewestFiftyCopiesOfEachRadio) {
    const fs::path folder = fs::temp_directory_path() / "tessel-backup-test";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const auto touch = [&](const std::string& name) { std::ofstream(folder / name) << "x"; };
    for (int i = 0; i < 53; ++i) touch("alder-5-20260101-1200" + std::to_string(10 + i) + ".ald");
    touch("alder-55-20250101-000000-000.ald");  // another radio: a serial that shares a prefix
    touch("cedar-5-20250101-000000-000.ced");

    backup::PruneBackups(folder, "alder-5-", backup::kKeptPerRadio);
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder))
        left.push_back(entry.path().filename());
    std::ranges::sort(left);
    ASSERT_EQ(left.size(), 52u);
    EXPECT_EQ(left.front(), "alder-5-20260101-120013.ald");  // the three oldest are gone
    EXPECT_EQ(left[49], "alder-5-20260101-120062.ald");
    EXPECT_EQ(left[50], "alder-55-20250101-000000-000.ald");
    EXPECT_EQ(left[51], "cedar-5-20250101-000000-000.ced");
    fs::remove_all(folder);
}

// Copies dated in the future (a clock set back) sort after the one just taken; it stays.
TEST(Backup, TheCopyJustTakenIsNeverPruned) {
    const fs::path folder = fs::temp_directory_path() / "tessel-backup-future";
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (int i = 0; i < 50; ++i)
        std::ofstream(folder / ("alder-5-2099010" + std::to_string(i % 10) + "-" +
                                std::to_string(100000 + i) + "-000.ald"))
            << "x";
    const fs::path taken = folder / "alder-5-20260101-120000-000.ald";
    std::ofstream(taken) << "x";
    backup::PruneBackups(folder, "alder-5-", backup::kKeptPerRadio, taken);
    EXPECT_TRUE(fs::exists(taken));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 50);
    fs::remove_all(folder);
}

TEST(Backup, WithoutAHomeTheFolderIsTheUsersOwn) {
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    const char* data = std::getenv("XDG_DATA_HOME");
    const std::string savedData = data ? data : "";
    ::unsetenv("HOME");
    ::unsetenv("XDG_DATA_HOME");
    const fs::path folder = backup::BackupFolder();
    if (!home.empty()) ::setenv("HOME", home.c_str(), 1);
    if (data) ::setenv("XDG_DATA_HOME", savedData.c_str(), 1);
    EXPECT_EQ(folder.filename(), "tessel-backups-" + std::to_string(::geteuid()));
}

TEST(Backup, NamesTheFieldsTheRadioHoldsDifferently) {
    const std::string written =
        "\r\nFR1=145000000\r\n0Enabled=1\r\n0FRQ_PRM=145012500\r\nTone=1450\r\n";
    const struct {
        std::string read;
        std::vector<std::string> differing;
    } cases[] = {
        {written, {}},
        {"\r\nFR1=145000000\r\n0Enabled=1\r\n0FRQ_PRM=145000000\r\nTone=1450\r\n", {"0FRQ_PRM"}},
        {"\r\n0Enabled=0\r\nFR1=145000000\r\n", {"0Enabled", "0FRQ_PRM", "Tone"}},
    };
    for (const auto& c : cases) EXPECT_EQ(backup::DifferingKeys(written, c.read), c.differing);
    EXPECT_EQ(backup::VerifyFailureText({"0FRQ_PRM", "Tone"}),
              "Проверка записи: в радиостанции другие значения: 0FRQ_PRM, Tone");
}

}  // namespace
