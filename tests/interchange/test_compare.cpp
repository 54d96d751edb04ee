// The comparison of two parameter sets: each differing value once, in the view's words.

#include <gtest/gtest.h>

#include <sstream>

#include "U_compare.h"
#include "interchange_sets.h"

namespace {

std::string Body(CRadioData& data) {
    std::ostringstream out;
    data.WriteText(out);
    return out.str();
}

struct SCompareCase {
    std::size_t model;                      // in AllModels()
    std::function<void(CRadioData&)> both;  // done on both sides first
    std::function<void(CRadioData&)> change;
    std::string expected;  // DifferencesText under the titles "A" and "B"
};

TEST(Compare, NamesEachDifferenceOnceInTheViewsWords) {
    const std::vector<SCompareCase> cases = {
        // A channel in use on one side only is one line, not one per field.
        {0, [](CRadioData&) {},
         [](CRadioData& d) { static_cast<CAlderData&>(d).Canal(1)->SetEnabled(true); },
         "Где       Параметр       A    B\nКанал 01  Рабочий канал  Нет  Да\n"},
        {0, [](CRadioData&) {},
         [](CRadioData& d) {
             auto& a = static_cast<CAlderData&>(d);
             a.SetPower(1);
             a.SetDTMF_ChWidth(7);
         },
         "Где                       Параметр                                      A            B\n"
         "Основные параметры        Мощность передатчика                          Номинальная  "
         "Повышенная\n"
         "Дополнительные параметры  Длительность посылки одного DTMF символа, мс  93,66        "
         "109,27\n"},
        // The transmit tone as the table shows it; the "=" it switches off is no difference.
        {2, [](CRadioData& d) { static_cast<CCedarData&>(d).Canal(0)->SetEnabled(true); },
         [](CRadioData& d) { static_cast<CCedarData&>(d).Canal(0)->SetCSS_PRD(-5); },
         "Где       Параметр                 A      B\n"
         "Канал 00  CTCSS тон / DCS код ПРД  (нет)  DCS 032\n"},
        // Squelch on and its level make one row on the page, and one difference.
        {3, [](CRadioData&) {},
         [](CRadioData& d) { static_cast<CLarchData&>(d).SetSquelchOn(false); },
         "Где                 Параметр                           A          B\n"
         "Основные параметры  Порог срабатывания шумоподавителя  Уровень 2  "
         "(шумоподавитель выключен)\n"},
    };
    for (const SCompareCase& c : cases) {
        const auto left = AllModels()[c.model].make();
        const auto right = AllModels()[c.model].make();
        c.both(left->Data());
        c.both(right->Data());
        c.change(right->Data());
        const interchange::SComparison comparison{
            "A", "B",
            interchange::CompareShown(interchange::ShownSetOf(left->Data()),
                                      interchange::ShownSetOf(right->Data()))};
        EXPECT_EQ(interchange::DifferencesText(comparison), c.expected)
            << AllModels()[c.model].name;
    }
}

// A body is shown through a set that keeps its own values and raises no change.
TEST(Compare, ShowsABodyThroughASetThatKeepsItsOwnValues) {
    for (const SModelCase& model : AllModels()) {
        const auto file = model.make();
        const auto window = model.make();
        SCanalCommon used = window->Data().Canal(0)->Common();
        used.enabled = true;
        used.rxFrequency = used.txFrequency = window->Data().Radio()->MinFrequency();
        file->Data().Canal(5)->PutCommon(used);
        const std::string own = Body(window->Data());
        int notified = 0;
        window->Data().SetNotifier([](void* n, IRadioData*) { ++*static_cast<int*>(n); },
                                   &notified);

        const auto shown = interchange::ShownSetOfBody(window->Data(), Body(file->Data()));
        ASSERT_TRUE(shown) << model.name;
        EXPECT_FALSE(shown->canals[5].empty()) << model.name;
        EXPECT_EQ(shown->settings, file->Data().ShownSettings()) << model.name;
        EXPECT_EQ(Body(window->Data()), own) << model.name;
        EXPECT_EQ(notified, 0) << model.name;
    }
}

}  // namespace
