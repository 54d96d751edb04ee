#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <ctime>

#include <filesystem>
#include <fstream>

#include "../file_bytes.h"
#include "../foreign_model.h"
#include "U_fileio.h"
#include "U_paramfile.h"
#include "fakes.h"

namespace fs = std::filesystem;
using namespace paramfile;

namespace {

void WriteAll(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

// Two models, as the window sees them, and a host that records what the open asked for.
struct Files : ::testing::Test, IOpenHost {
    fake::Radio alderRadio{"Ольха-1"}, birchRadio{"Берёза-1"};
    fake::Ware alder{alderRadio, fake::Layout::TwoBanks, false, "ALDER"};
    fake::Ware birch{birchRadio, fake::Layout::TwoBanks, false, "BIRCH"};
    std::vector<IRadio*> radios{&alderRadio, &birchRadio};
    std::vector<int> selected;
    std::vector<std::string> asked;
    bool answer = true;
    fs::path dir;

    void SetUp() override {
        char pattern[] = "/tmp/tessel-files-XXXXXX";
        dir = mkdtemp(pattern);
        for (IRadio* radio : radios) radio->Ware()->AttachData(radio, nullptr, nullptr);
    }
    void TearDown() override { fs::remove_all(dir); }

    void Select(int index) override {
        selected.push_back(index);
        radios[static_cast<std::size_t>(index)]->Ware()->AttachData(
            radios[static_cast<std::size_t>(index)], nullptr, nullptr);
    }
    bool QuerySaveChanges(const std::string& openingFile) override {
        asked.push_back(openingFile);
        return answer;
    }

    fake::Data& DataOf(fake::Radio& radio) { return static_cast<fake::Data&>(*radio.ModelData()); }

    // Opens and returns the message of the failure, or "" when it loaded.
    std::string Open(const fs::path& file, int target, int& current) {
        try {
            OpenParameterFile(file, target, radios, *this, current);
            return "";
        } catch (const CFileError& error) {
            return error.what();
        }
    }
};

TEST_F(Files, SavingWritesTheHeaderThenTheBody) {
    DataOf(alderRadio).SetValue(7);
    const fs::path file = dir / "a.tst";
    SaveParameterFile(file, alderRadio);
    EXPECT_EQ(ReadAll(file), std::string("TESSEL302ALDER00\r\nValue=7\r\n"));
    EXPECT_EQ(alderRadio.FileName(), file.string());
    EXPECT_FALSE(DataOf(alderRadio).IsModified());
}

TEST_F(Files, AForeignPlugInIsSavedAndOpenedThroughTheContractAlone) {
    SForeignModel foreign;
    const fs::path file = dir / "f.frg";
    SaveParameterFile(file, foreign);
    EXPECT_EQ(ReadAll(file), "TESSEL302FORGN00\r\nForeign=1\r\n");
    EXPECT_FALSE(foreign.IsModified());

    WriteAll(file, "TESSEL302FORGN00\r\nForeign=2\r\n");
    std::vector<IRadio*> only{&foreign};
    int current = -1;
    OpenParameterFile(file, kTargetFromFile, only, *this, current);
    EXPECT_EQ(foreign.body, "\r\nForeign=2\r\n");
}

TEST_F(Files, OpeningFindsTheRadioTheFileNames) {
    WriteAll(dir / "b.tst", "TESSEL302BIRCH00\r\nValue=5\r\n");
    int current = 0;
    EXPECT_EQ(Open(dir / "b.tst", kTargetFromFile, current), "");
    EXPECT_EQ(current, 1);
    EXPECT_EQ(selected, std::vector<int>{1});
    EXPECT_EQ(asked, std::vector<std::string>{(dir / "b.tst").string()});
    EXPECT_EQ(DataOf(birchRadio).value, 5);
    EXPECT_FALSE(DataOf(birchRadio).IsModified());
    EXPECT_EQ(birchRadio.FileName(), (dir / "b.tst").string());
}

TEST_F(Files, OpeningAsAnotherRadioLeavesItModifiedAndWithoutAFile) {
    WriteAll(dir / "b.tst", "TESSEL302BIRCH00\r\nValue=5\r\n");
    alderRadio.SetFileName("/old/a.tst");
    int current = 1;
    EXPECT_EQ(Open(dir / "b.tst", 0, current), "");
    EXPECT_EQ(current, 0);
    EXPECT_EQ(DataOf(alderRadio).value, 5);
    EXPECT_TRUE(DataOf(alderRadio).IsModified());
    EXPECT_EQ(alderRadio.FileName(), "");
}

TEST_F(Files, BrokenHeadersAreRejectedBeforeAnythingChanges) {
    const std::pair<std::string, std::string> cases[] = {
        {"TESSEL302ALDER0", kMsgBadFormat},  // 15 bytes
        {"", kMsgBadFormat},
        {"TESSEL303ALDER00\r\nValue=5\r\n", kMsgBadFormat},  // last digit of the signature
        {"TESSEL302LARCH00\r\nValue=5\r\n", kMsgNoRadio},    // no such module
        {"TESSEL302ALDER01\r\nValue=5\r\n", kMsgNoRadio},    // no such variant
        {"TESSEL302alder00\r\nValue=5\r\n", kMsgNoRadio},    // case counts
    };
    for (const auto& [bytes, message] : cases) {
        WriteAll(dir / "x.tst", bytes);
        int current = -1;
        EXPECT_EQ(Open(dir / "x.tst", kTargetFromFile, current), message) << bytes;
        EXPECT_TRUE(selected.empty());
    }
    int current = -1;
    EXPECT_EQ(Open(dir / "missing.tst", kTargetFromFile, current), kMsgReadError);
}

TEST_F(Files, HeaderFieldsEndAtTheirFirstZeroByte) {
    fake::Radio shortRadio{"Short", "0"};
    fake::Ware shortWare{shortRadio, fake::Layout::TwoBanks, false, "AB"};
    radios.push_back(&shortRadio);
    WriteAll(dir / "s.tst", std::string("TESSEL302AB\0\0\0"
                                        "0\0\r\nValue=1\r\n",
                                        28));
    int current = -1;
    EXPECT_EQ(Open(dir / "s.tst", kTargetFromFile, current), "");
    EXPECT_EQ(current, 2);
}

TEST_F(Files, ARejectedBodyLeavesTheParametersAndTheFileName) {
    DataOf(birchRadio).SetValue(3);
    birchRadio.SetFileName("/old/b.tst");
    WriteAll(dir / "b.tst", "TESSEL302BIRCH00Value=5\r\n");  // no empty first line
    int current = -1;
    EXPECT_EQ(Open(dir / "b.tst", kTargetFromFile, current), kMsgBadFormat);
    EXPECT_EQ(selected, std::vector<int>{1});  // the selection moved to the matched radio
    EXPECT_EQ(DataOf(birchRadio).value, 3);
    EXPECT_EQ(birchRadio.FileName(), "/old/b.tst");
}

TEST_F(Files, CancellingTheSavePromptAbandonsTheOpen) {
    WriteAll(dir / "b.tst", "TESSEL302BIRCH00\r\nValue=5\r\n");
    answer = false;
    int current = -1;
    EXPECT_EQ(OpenParameterFile(dir / "b.tst", kTargetFromFile, radios, *this, current),
              EOpenResult::Cancelled);
    EXPECT_EQ(current, 1);
    EXPECT_EQ(DataOf(birchRadio).value, 0);
}

TEST_F(Files, AFailedSaveLeavesTheOldFileAndTheSetModified) {
    const fs::path file = dir / "a.tst";
    WriteAll(file, "previous contents");
    DataOf(alderRadio).SetValue(9);
    DataOf(alderRadio).failWriting = true;
    EXPECT_THROW(SaveParameterFile(file, alderRadio), CFileError);
    EXPECT_EQ(ReadAll(file), "previous contents");
    EXPECT_TRUE(DataOf(alderRadio).IsModified());
    EXPECT_EQ(alderRadio.FileName(), "");

    // A target that cannot be replaced: the directory stays, nothing is left beside it.
    DataOf(alderRadio).failWriting = false;
    fs::create_directory(dir / "taken.tst");
    EXPECT_THROW(SaveParameterFile(dir / "taken.tst", alderRadio), CFileError);
    EXPECT_TRUE(fs::is_directory(dir / "taken.tst"));
    EXPECT_TRUE(DataOf(alderRadio).IsModified());
    EXPECT_THROW(SaveParameterFile(dir / "no" / "such" / "dir.tst", alderRadio), CFileError);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
}

// Only a regular file that may be written is replaced; anything else is a failed save that
// leaves the target as it was.
TEST_F(Files, SavingRefusesTargetsThatAreNotWritableRegularFiles) {
    const fs::path fifo = dir / "fifo.tst", device = dir / "null.tst", readOnly = dir / "ro.tst";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    const bool haveDevice = mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    WriteAll(readOnly, "kept");
    chmod(readOnly.c_str(), 0444);
    DataOf(alderRadio).SetValue(4);
    for (const fs::path& target : {fifo, device, readOnly}) {
        if (target == device && !haveDevice) continue;
        EXPECT_THROW(SaveParameterFile(target, alderRadio), CFileError) << target;
        EXPECT_TRUE(DataOf(alderRadio).IsModified());
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(!haveDevice || fs::is_character_file(device));
    EXPECT_EQ(ReadAll(readOnly), "kept");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2 + haveDevice);
}

// A private folder of ours that an older version left open is closed when asked, else refused.
TEST_F(Files, APrivateFolderOfOursIsClosedOnlyWhenAsked) {
    const fs::path open = dir / "open";
    fs::create_directory(open);
    chmod(open.c_str(), 0755);
    EXPECT_NE(fileio::PreparePrivateFolder(open, "Папка"), "");
    EXPECT_EQ(fileio::PreparePrivateFolder(open, "Папка", true), "");
    EXPECT_EQ(fs::status(open).permissions(), fs::perms::owner_all);
    // A shared folder (sticky, writable by all, as /tmp) is refused and never changed.
    const fs::path shared = dir / "shared";
    fs::create_directory(shared);
    chmod(shared.c_str(), 01777);
    EXPECT_NE(fileio::PreparePrivateFolder(shared, "Папка", true), "");
    EXPECT_EQ(fs::status(shared).permissions() & fs::perms::mask,
              fs::perms::all | fs::perms::sticky_bit);
}

// The temporary name stays within the file-name limit, so every legal name can be saved.
TEST_F(Files, NamesUpToTheFileNameLimitSave) {
    for (const std::size_t length : {240u, 241u, 255u}) {
        const fs::path file = dir / (std::string(length - 4, 'n') + ".tst");
        EXPECT_NO_THROW(SaveParameterFile(file, alderRadio)) << length;
        EXPECT_EQ(ReadAll(file).substr(0, 16), "TESSEL302ALDER00") << length;
    }
    // Cut short by a byte rather than inside a character.
    EXPECT_EQ(fileio::TemporaryPattern(std::string(120, 'a') + "ЖЖ", 136).size(), 135u);
}

// A save cut short leaves its temporary file; the next save into the folder removes it, but
// never a file another save still holds, a recent one, or one that is not ours.
TEST_F(Files, TheNextSaveRemovesLeftoversOfAnInterruptedOne) {
    const auto make = [this](const std::string& name, bool old) {
        WriteAll(dir / name, "partial");
        if (old) {
            const timespec past[2] = {{std::time(nullptr) - 3600, 0},
                                      {std::time(nullptr) - 3600, 0}};
            utimensat(AT_FDCWD, (dir / name).c_str(), past, 0);
        }
        return dir / name;
    };
    const fs::path leftover = make(".a.tst.tessel~Ab12Cd", true);
    const fs::path recent = make(".b.tst.tessel~Ef34Gh", false);
    const fs::path held = make(".c.tst.tessel~Ij56Kl", true);
    const fs::path users = make("notes.tessel~draft1", true);
    const int lock = open(held.c_str(), O_RDONLY);
    ASSERT_EQ(flock(lock, LOCK_EX), 0);

    SaveParameterFile(dir / "a.tst", alderRadio);
    close(lock);
    EXPECT_FALSE(fs::exists(leftover));
    for (const fs::path& kept : {recent, held, users}) EXPECT_TRUE(fs::exists(kept)) << kept;
}

// Only regular files are read, a FIFO without a writer included, and none of unbounded size.
TEST_F(Files, OpeningReadsOnlyRegularFilesOfBoundedSize) {
    ASSERT_EQ(mkfifo((dir / "fifo.tst").c_str(), 0644), 0);
    WriteAll(dir / "huge.tst", "TESSEL302ALDER00\r\n" + std::string(fileio::kInputLimit, 'x'));
    const std::pair<fs::path, std::string> cases[] = {
        {dir, kMsgReadError},
        {dir / "fifo.tst", kMsgReadError},
        {dir / "huge.tst", kMsgBadFormat},
    };
    for (const auto& [file, message] : cases) {
        int current = -1;
        EXPECT_EQ(Open(file, kTargetFromFile, current), message) << file;
        EXPECT_TRUE(selected.empty());
    }
}

TEST_F(Files, SavingOverAFileKeepsItsPermissionsAndLinks) {
    const fs::path real = dir / "real.tst", link = dir / "link.tst";
    WriteAll(real, "old");
    chmod(real.c_str(), 0640);
    fs::create_symlink(real, link);
    SaveParameterFile(link, alderRadio);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadAll(real).substr(0, 16), "TESSEL302ALDER00");
    struct stat st {};
    stat(real.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

}  // namespace
