// The contract, file and image rules that every model plug-in keeps. A new model gets all of
// this by being built into the module root.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <sstream>

#include "../delivered_radios.h"
#include "fakes.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> PlugInNames() {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(TESSEL_TEST_MODULE_ROOT, error))
        if (entry.is_directory()) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

struct Notifications {
    int count = 0;
    static void Notify(void* context, IRadioData*) {
        ++static_cast<Notifications*>(context)->count;
    }
};

std::string SaveText(IRadioData& data) {
    std::ostringstream out;
    EXPECT_TRUE(data.Save(out));
    return out.str();
}

class PlugIn : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        setenv("TESSEL_PROGRAMMING_DATE", "2026-12-08", 1);
        for (int i = 0; i < DeliveredModules().Count(); ++i) {
            if (fs::path(DeliveredModules().Get(i).path).stem() == GetParam())
                ware_ = DeliveredModules().Get(i).ware;
        }
        ASSERT_NE(ware_, nullptr) << "plug-in " << GetParam() << " did not load";
        radio_ = ware_->GetRadio(0);
        ASSERT_TRUE(ware_->AttachData(radio_, &Notifications::Notify, &seen_));
        data_ = static_cast<CRadioData*>(radio_->Data());
        data_->Reset();
        radio_->SetFileName("");
        seen_.count = 0;
    }
    void TearDown() override {
        if (ware_) ware_->AttachData(radio_, nullptr, nullptr);
    }

    bool LoadText(const std::string& body, bool modified = true) {
        std::istringstream in(body);
        return data_->Load(in, modified);
    }

    IRadioWare* ware_ = nullptr;
    IRadio* radio_ = nullptr;
    CRadioData* data_ = nullptr;
    Notifications seen_;
};

TEST_P(PlugIn, DescribesItselfAsAModuleOfOneRadio) {
    std::string upper = GetParam();
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(ware_->Description(), upper);
    EXPECT_FALSE(ware_->Version().empty());
    EXPECT_EQ(ware_->LinkKinds(), PR_NET_IRDA);
    EXPECT_EQ(ware_->RadioCount(), 1);
    EXPECT_EQ(ware_->GetRadio(5), radio_);
    EXPECT_EQ(ware_->GetRadio(-1), radio_);
    EXPECT_EQ(radio_->Ware(), ware_);
    EXPECT_EQ(radio_->Code(), "00");
    EXPECT_EQ(radio_->FileExtension().size(), 3u);
    EXPECT_LT(radio_->MinFrequency(), radio_->MaxFrequency());
    EXPECT_FALSE(ware_->ReservedQuery());
}

TEST_P(PlugIn, RefusesForeignRadiosAndObjects) {
    fake::Radio foreign;
    fake::Ware foreignWare(foreign);
    EXPECT_FALSE(ware_->AttachData(&foreign, nullptr, nullptr));
    EXPECT_EQ(foreign.Data(), nullptr);
    EXPECT_EQ(ware_->CreateQualifier(&foreign), nullptr);
    fake::Link link;
    EXPECT_EQ(ware_->CreateRW(&foreign, static_cast<IRadioSocket*>(&link)), nullptr);
    IRadioRW* foreignRW = foreignWare.CreateRW(&foreign, static_cast<IRadioSocket*>(&link));
    ware_->ReleaseRW(foreignRW);  // ignored: still usable below
    EXPECT_EQ(foreignRW->Radio(), &foreign);
    foreignWare.ReleaseRW(foreignRW);
    ware_->ReleaseQualifier(nullptr);
    ware_->ReleaseRW(nullptr);
}

TEST_P(PlugIn, DropsAnUntouchedSetButKeepsAnEditedOne) {
    ASSERT_TRUE(LoadText("\r\n0Enabled=1\r\n", /*modified=*/false));
    EXPECT_TRUE(ware_->AttachData(radio_, nullptr, nullptr));  // unmodified, no file: fresh set
    std::string message;
    EXPECT_FALSE(radio_->Data()->Validate(message));
    data_ = static_cast<CRadioData*>(radio_->Data());

    ASSERT_TRUE(LoadText("\r\n0Enabled=1\r\n", /*modified=*/true));
    EXPECT_TRUE(ware_->AttachData(radio_, nullptr, nullptr));
    EXPECT_TRUE(radio_->Data()->Validate(message)) << message;
}

TEST_P(PlugIn, ResetAndLoadNotify) {
    data_->Reset();
    EXPECT_EQ(seen_.count, 1);
    EXPECT_FALSE(data_->IsModified());
    ASSERT_TRUE(LoadText("\r\n"));
    EXPECT_EQ(seen_.count, 2);
    EXPECT_TRUE(data_->IsModified());
}

TEST_P(PlugIn, ARejectedBodyChangesNothing) {
    ASSERT_TRUE(LoadText("\r\n0Enabled=1\r\n1Enabled=1\r\n", /*modified=*/false));
    const std::string before = SaveText(*data_);
    seen_.count = 0;
    EXPECT_FALSE(LoadText("0Enabled=0\r\n"));                 // no empty first line
    EXPECT_FALSE(LoadText("\r\n0Enabled=0\r\nFR1=abc\r\n"));  // a range that is no number
    EXPECT_EQ(seen_.count, 0);
    EXPECT_FALSE(data_->IsModified());
    EXPECT_EQ(SaveText(*data_), before);
}

TEST_P(PlugIn, AFreshSetNeedsAWorkingChannelToBeWritten) {
    std::string message;
    EXPECT_FALSE(data_->Validate(message));
    EXPECT_EQ(message, "Нет активных каналов для записи параметров");
    ASSERT_TRUE(LoadText("\r\n0Enabled=1\r\n"));
    EXPECT_TRUE(data_->Validate(message)) << message;
}

TEST_P(PlugIn, ChannelsOutsideTheTableYieldChannelZero) {
    EXPECT_EQ(data_->Canal(100), data_->Canal(0));
    EXPECT_EQ(data_->Canal(-1), data_->Canal(0));
    EXPECT_EQ(data_->Canal(99)->Index(), 99);
}

TEST_P(PlugIn, FilesRoundTrip) {
    const std::string fresh = SaveText(*data_);
    ASSERT_EQ(fresh.substr(0, 2), "\r\n");
    ASSERT_TRUE(LoadText(fresh));
    const std::string once = SaveText(*data_);  // the ranges are normalized once
    ASSERT_TRUE(LoadText(once));
    EXPECT_EQ(SaveText(*data_), once);

    ASSERT_TRUE(LoadText("\r\n0Enabled=1\r\n7Enabled=1\r\n7Scanning=1\r\n"));
    const std::string edited = SaveText(*data_);
    ASSERT_TRUE(LoadText(edited));
    EXPECT_EQ(SaveText(*data_), edited);
}

TEST_P(PlugIn, ImagesRoundTrip) {
    ASSERT_TRUE(LoadText("\r\n0Enabled=1\r\n3Enabled=1\r\n3Scanning=1\r\n"));
    std::vector<std::uint8_t> image(data_->ImageSize(), 0);
    data_->EncodeImage(image);
    std::vector<std::uint8_t> copy = image;
    data_->DecodeImage(copy);
    EXPECT_TRUE(data_->IsModified());
    std::vector<std::uint8_t> again(data_->ImageSize(), 0);
    data_->EncodeImage(again);
    EXPECT_EQ(again, image);
}

TEST_P(PlugIn, AnyImageDecodesWithoutHarm) {
    std::mt19937 random(20261208);
    std::vector<std::uint8_t> image(data_->ImageSize());
    for (int round = 0; round < 200; ++round) {
        const int fill = round % 3;
        for (auto& byte : image)
            byte = fill == 0 ? static_cast<std::uint8_t>(random()) : fill == 1 ? 0xFF : 0x00;
        data_->DecodeImage(image);
        std::string message;
        data_->Validate(message);
        data_->RangeText();
        std::vector<std::uint8_t> out(data_->ImageSize());
        data_->EncodeImage(out);
        const std::string text = SaveText(*data_);
        ASSERT_TRUE(LoadText(text)) << "a decoded set must be readable from its own file";
    }
}

TEST_P(PlugIn, TheModuleObjectIsASingletonUntilReleased) {
    // A private copy of the library, so the registry's instance is not disturbed.
    char pattern[] = "/tmp/tessel-conformance-XXXXXX";
    const fs::path dir = mkdtemp(pattern);
    const fs::path copy = dir / (GetParam() + ".so");
    fs::copy_file(fs::path(TESSEL_TEST_MODULE_ROOT) / GetParam() / (GetParam() + ".so"), copy);
    void* library = dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    const auto get = reinterpret_cast<GetRadioWareFunc>(dlsym(library, kGetRadioWareName));
    const auto release =
        reinterpret_cast<ReleaseRadioWareFunc>(dlsym(library, kReleaseRadioWareName));
    ASSERT_TRUE(get && release);
    IRadioWare* first = get();
    EXPECT_EQ(get(), first);
    first->AttachData(first->GetRadio(0), nullptr, nullptr);
    release();
    IRadioWare* second = get();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->GetRadio(0)->Data(), nullptr);  // the old set went with the old object
    release();
    dlclose(library);
    fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(AllPlugIns, PlugIn, ::testing::ValuesIn(PlugInNames()),
                         [](const auto& info) { return info.param; });

}  // namespace
