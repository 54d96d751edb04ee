#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "U_paramfile.h"
#include "fakes.h"

namespace fs = std::filesystem;
using namespace paramfile;

namespace {

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

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
