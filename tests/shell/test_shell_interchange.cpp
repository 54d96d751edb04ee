// The Параметры menu's channel lists in the window: import into the current radio with its
// report, export of its working channels.

#include "shell_fixture.h"

namespace {

class ShellInterchange : public ShellTest {};

TEST_F(ShellInterchange, ImportTakesTheRowsThatFitAndListsTheOthers) {
    Start();
    List().Select(IndexOf("ALDER"));
    const std::string list = HomeFile("list.csv");
    WriteFile(list,
              "Location,Name,Frequency,Duplex,Offset,Tone,cToneFreq\r\n"
              "3,Repeater,146.000000,+,0.600000,TSQL,88.5\r\n"
              "4,Far,450.000000,,0,,88.5\r\n");
    dialogs_.openAnswers.push_back(list);
    Find<QAction>("act_ImportCanals")->trigger();

    const SCanalCommon canal = static_cast<CRadioData*>(RadioOf("ALDER")->Data())->Canal(3)->Common();
    EXPECT_EQ(canal.rxFrequency, 146000000);
    EXPECT_EQ(canal.txFrequency, 146600000);
    EXPECT_TRUE(Entry("ALDER").modified);
    EXPECT_EQ(Status().toStdString(), "Принято каналов: 1");
    ASSERT_EQ(dialogs_.errors.size(), 1u);
    EXPECT_NE(dialogs_.errors[0].text.find("Строка 3, канал 4: частота приема 450.000000 МГц"),
              std::string::npos);

    dialogs_.saveAnswers.push_back(HomeFile("out.csv"));
    Find<QAction>("act_ExportCanals")->trigger();
    const std::string exported = ReadFile(HomeFile("out.csv"));
    EXPECT_TRUE(exported.starts_with("Location,Name,Frequency,"));
    EXPECT_NE(exported.find("\r\n3,,146.000000,+,0.600000,TSQL,88.5,88.5,"), std::string::npos);
}

}  // namespace
