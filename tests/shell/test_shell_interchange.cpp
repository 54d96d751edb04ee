// The Параметры menu's channel lists in the window: import into the current radio with its
// report, export of its working channels.

#include <QMenu>

#include "U_recentfiles.h"
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

    const SCanalCommon canal =
        static_cast<CRadioData*>(RadioOf("ALDER")->Data())->Canal(3)->Common();
    EXPECT_EQ(canal.rxFrequency, 146000000);
    EXPECT_EQ(canal.txFrequency, 146600000);
    EXPECT_TRUE(Entry("ALDER").modified);
    EXPECT_EQ(Status().toStdString(), "Принято каналов: 1 из файла «" + list + "»");
    ASSERT_EQ(dialogs_.errors.size(), 1u);
    EXPECT_NE(dialogs_.errors[0].text.find("Строка 3, канал 4: частота приема 450.000000 МГц"),
              std::string::npos);

    dialogs_.saveAnswers.push_back(HomeFile("list.pdf"));
    Find<QAction>("act_Print")->trigger();
    EXPECT_TRUE(ReadFile(HomeFile("list.pdf")).starts_with("%PDF-"));
    EXPECT_EQ(dialogs_.documents, std::vector<std::string>{HomeFile("list.pdf")});
    EXPECT_EQ(Status().toStdString(),
              "Список каналов для печати записан в файл «" + HomeFile("list.pdf") + "»");

    dialogs_.saveAnswers.push_back(HomeFile("out.csv"));
    Find<QAction>("act_ExportCanals")->trigger();
    const std::string exported = ReadFile(HomeFile("out.csv"));
    EXPECT_TRUE(exported.starts_with("Location,Name,Frequency,"));
    EXPECT_NE(exported.find("\r\n3,,146.000000,+,0.600000,TSQL,88.5,88.5,"), std::string::npos);
    EXPECT_EQ(Status().toStdString(), "Каналы записаны в файл «" + HomeFile("out.csv") + "»");
}

// The copy of the radio's former memory, the parameters left as the user had them, and a
// read-back that fails: the write is reported failed and names the copy.
TEST_F(ShellInterchange, WriteKeepsACopyOfTheRadioAndChecksItAfterwards) {
    const fs::path backups = Home() / "tessel" / "backups";
    for (const char* fault : {"", ",fault=segment@20"}) {
        SCOPED_TRACE(fault);
        Start({std::string("alder,blank,sn=77") + fault});
        ASSERT_TRUE(LoadBody(RadioOf("ALDER"), kWritableBody, true));
        const std::string mine = BodyOf(RadioOf("ALDER"));
        RadioOf("ALDER")->SetFileName(HomeFile("mine.ald"));
        fs::remove_all(backups);

        Transfer(QKeySequence(Qt::Key_F5));
        std::vector<fs::path> copies;
        for (const auto& entry : fs::directory_iterator(backups)) copies.push_back(entry.path());
        ASSERT_EQ(copies.size(), 1u);
        EXPECT_TRUE(copies[0].filename().string().starts_with("alder-77-"));
        // The radio's whole memory, for this user alone.
        EXPECT_EQ(fs::status(backups).permissions(), fs::perms::owner_all);
        EXPECT_EQ(fs::status(copies[0]).permissions(),
                  fs::perms::owner_read | fs::perms::owner_write);
        EXPECT_EQ(copies[0].extension(), ".ald");
        // The copy holds what the erased radio held: channel 0 was not in use before the write.
        const std::string copy = ReadFile(copies[0].string());
        EXPECT_TRUE(copy.starts_with("TESSEL302ALDER00"));
        EXPECT_NE(copy.find("\r\n0Enabled=0\r\n"), std::string::npos);

        EXPECT_EQ(BodyOf(RadioOf("ALDER")), mine);
        EXPECT_TRUE(Entry("ALDER").modified);
        EXPECT_EQ(RadioOf("ALDER")->FileName(), HomeFile("mine.ald"));
        const std::string status = statuses_.last().toStdString();
        if (*fault == 0) {
            EXPECT_TRUE(status.starts_with("Параметры в радиостанцию записаны успешно")) << status;
        } else {
            EXPECT_TRUE(status.starts_with("Проверка записи: ошибка чтения")) << status;
            EXPECT_TRUE(status.ends_with(copies[0].string())) << status;
        }
        program_.reset();
    }
}

TEST_F(ShellInterchange, CompareWithRadioListsWhatTheReadChanged) {
    Start({"alder,blank"});
    Find<QAction>("act_CompareWithRadio")->trigger();  // nothing read yet
    ASSERT_EQ(dialogs_.errors.size(), 1u);
    EXPECT_EQ(dialogs_.errors[0].text, "Сначала прочитайте параметры из радиостанции");

    ASSERT_TRUE(LoadBody(RadioOf("ALDER"), kWritableBody, false));
    Transfer(QKeySequence(Qt::Key_F3));
    Find<QAction>("act_CompareWithRadio")->trigger();
    ASSERT_EQ(dialogs_.errors.size(), 2u);
    EXPECT_EQ(dialogs_.errors[1].title, "Сравнить с радиостанцией");
    const std::string& table = dialogs_.errors[1].text;
    EXPECT_NE(table.find("<th>До чтения</th><th>Радиостанция</th>"), std::string::npos) << table;
    EXPECT_NE(table.find("<tr><td>Канал 00</td><td>Рабочий канал</td><td>Да</td><td>Нет</td>"),
              std::string::npos)
        << table;
}

// The last ten files opened or saved, newest first, each once; an entry opens its file.
TEST_F(ShellInterchange, RecentFilesKeepTheLastTenAndOpenThem) {
    Start();
    for (int i = 0; i < 12; ++i)
        CRecentFiles().Add(HomeFile("f" + std::to_string(i % 11) + ".ald"));
    std::vector<std::string> files = CRecentFiles().Files();
    ASSERT_EQ(files.size(), 10u);
    EXPECT_EQ(files[0], HomeFile("f0.ald"));
    EXPECT_EQ(files[1], HomeFile("f10.ald"));

    ASSERT_TRUE(LoadBody(RadioOf("ALDER"), kWritableBody, true));
    dialogs_.saveAnswers.push_back(HomeFile("saved.ald"));
    Press(QKeySequence(Qt::CTRL | Qt::Key_S));
    EXPECT_EQ(CRecentFiles().Files().front(), HomeFile("saved.ald"));

    RadioOf("ALDER")->SetFileName("");
    auto* menu = Find<QMenu>("mnu_RecentFiles");
    emit menu->aboutToShow();
    ASSERT_EQ(menu->actions().size(), 10);
    EXPECT_TRUE(menu->actions()[0]->text().endsWith(QString::fromStdString(HomeFile("saved.ald"))));
    menu->actions()[0]->trigger();
    EXPECT_EQ(RadioOf("ALDER")->FileName(), HomeFile("saved.ald"));
    EXPECT_TRUE(dialogs_.errors.empty());
}

}  // namespace
