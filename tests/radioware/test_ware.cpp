#include <gtest/gtest.h>

#include "fakes.h"

namespace {

struct Notifications {
    int count = 0;
    IRadioData* last = nullptr;
    static void Notify(void* context, IRadioData* data) {
        auto* self = static_cast<Notifications*>(context);
        ++self->count;
        self->last = data;
    }
};

struct Contract : ::testing::Test {
    fake::Radio radio;
    fake::Ware ware{radio};
    Notifications seen;

    fake::Data& Attach() {
        EXPECT_TRUE(ware.AttachData(&radio, &Notifications::Notify, &seen));
        return static_cast<fake::Data&>(*radio.ModelData());
    }
};

TEST_F(Contract, EveryIndexYieldsTheOnlyRadio) {
    EXPECT_EQ(ware.RadioCount(), 1);
    for (const int index : {0, 5, -1}) EXPECT_EQ(ware.GetRadio(index), &radio);
}

TEST_F(Contract, ForeignRadiosAndObjectsAreRefused) {
    fake::Radio other;
    fake::Ware otherWare(other);
    EXPECT_FALSE(ware.AttachData(&other, &Notifications::Notify, &seen));
    EXPECT_EQ(radio.Data(), nullptr);
    EXPECT_EQ(ware.CreateQualifier(&other), nullptr);
    fake::Link link;
    EXPECT_EQ(ware.CreateRW(&other, static_cast<IRadioSocket*>(&link)), nullptr);

    // Another module's objects given back here are left alone.
    IRadioRW* foreign = otherWare.CreateRW(&other, static_cast<IRadioSocket*>(&link));
    ASSERT_NE(foreign, nullptr);
    ware.ReleaseRW(foreign);
    EXPECT_EQ(foreign->Radio(), &other);
    otherWare.ReleaseRW(foreign);
}

TEST_F(Contract, AttachingCreatesADefaultSetOnce) {
    fake::Data& data = Attach();
    EXPECT_EQ(radio.Data(), &data);
    EXPECT_EQ(data.value, 0);
    EXPECT_EQ(ware.AttachedData(), &data);
}

TEST_F(Contract, AnUntouchedSetIsDroppedOnTheNextAttach) {
    fake::Data& first = Attach();
    first.value = 9;  // assigned directly, as decoding would, but never marked modified
    EXPECT_EQ(Attach().value, 0);
}

TEST_F(Contract, AModifiedSetOrOneWithAFileStaysAttached) {
    Attach().SetValue(9);
    EXPECT_EQ(Attach().value, 9);

    fake::Radio radio2;
    fake::Ware ware2(radio2);
    ware2.AttachData(&radio2, nullptr, nullptr);
    static_cast<fake::Data&>(*radio2.ModelData()).value = 4;
    radio2.SetFileName("/data/a.tst");
    ware2.AttachData(&radio2, nullptr, nullptr);
    EXPECT_EQ(static_cast<fake::Data&>(*radio2.ModelData()).value, 4);
}

TEST_F(Contract, ResetNotifiesEvenWhenNothingChanged) {
    fake::Data& data = Attach();
    data.Reset();
    EXPECT_EQ(seen.count, 1);
    EXPECT_EQ(seen.last, &data);
    EXPECT_FALSE(data.IsModified());
}

TEST_F(Contract, LoadNotifiesOnceAndTakesTheCallersFlag) {
    fake::Data& data = Attach();
    std::istringstream good("\r\nValue=42\r\n");
    EXPECT_TRUE(data.Load(good, true));
    EXPECT_EQ(data.value, 42);
    EXPECT_TRUE(data.IsModified());
    EXPECT_EQ(seen.count, 1);  // the setter inside the reader did not notify on its own

    std::istringstream again("\r\nValue=43\r\n");
    EXPECT_TRUE(data.Load(again, false));
    EXPECT_FALSE(data.IsModified());
    EXPECT_EQ(seen.count, 2);
}

TEST_F(Contract, ARejectedLoadLeavesTheFlagAndSaysNothing) {
    fake::Data& data = Attach();
    data.SetValue(3);
    const int before = seen.count;
    std::istringstream noFirstLine("Value=42\r\n");
    EXPECT_FALSE(data.Load(noFirstLine, false));
    std::istringstream badValue("\r\nValue=4x\r\n");
    EXPECT_FALSE(data.Load(badValue, false));
    EXPECT_TRUE(data.IsModified());
    EXPECT_EQ(seen.count, before);
    EXPECT_EQ(data.value, 3);
}

TEST_F(Contract, SaveClearsTheFlagOnlyWhenTheStreamTookIt) {
    fake::Data& data = Attach();
    data.SetValue(3);
    std::ostringstream broken;
    broken.setstate(std::ios::badbit);
    EXPECT_FALSE(data.Save(broken));
    EXPECT_TRUE(data.IsModified());
    std::ostringstream out;
    EXPECT_TRUE(data.Save(out));
    EXPECT_FALSE(data.IsModified());
    EXPECT_EQ(out.str(), "\r\nValue=3\r\n");
}

TEST(WareLifetime, DestroyingTheWareDestroysTheSetAndTheView) {
    struct View final : CRadioView {
        explicit View(int& alive) : alive_(alive) { ++alive_; }
        ~View() override { --alive_; }
        QWidget* Widget() override { return nullptr; }
        void Refresh() override { ++refreshes; }
        int& alive_;
        int refreshes = 0;
    };
    int alive = 0;
    fake::Radio radio;
    {
        fake::Ware ware(radio);
        int created = 0;
        ware.SetViewFactory([&](CRadioWare&) {
            ++created;
            return std::make_unique<View>(alive);
        });
        EXPECT_FALSE(ware.HasView());
        ware.GetView();
        ware.GetView();
        EXPECT_EQ(created, 1);
        EXPECT_EQ(alive, 1);
        ware.AttachData(&radio, nullptr, nullptr);
        ware.FreeView();
        EXPECT_EQ(alive, 0);
        ware.GetView();
        EXPECT_EQ(created, 2);
        EXPECT_NE(radio.Data(), nullptr);
    }
    EXPECT_EQ(alive, 0);
    EXPECT_EQ(radio.Data(), nullptr);
}

}  // namespace
