// New, Open, Open as, Save and Save As through the window, with every dialog and message
// answered by the test.

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

#include "shell_fixture.h"

namespace {

const std::string kHeaderAlder = std::string("TESSEL302") + "ALDER" + "00";
const std::string kHeaderBirch = std::string("TESSEL302") + "BIRCH" + "00";

class ShellFiles : public ShellTest {
  protected:
    void Open(const std::string& file) {
        dialogs_.openAnswers.push_back(file);
        Press(QKeySequence(Qt::CTRL | Qt::Key_O));
    }
    void OpenAs(const std::string& description, const std::string& file) {
        dialogs_.openAnswers.push_back(file);
        Find<QMenu>("mnu_OpenAs")->actions().at(IndexOf(description))->trigger();
    }
    std::vector<std::string> ErrorTexts() const {
        std::vector<std::string> texts;
        for (const auto& e : dialogs_.errors) texts.push_back(e.text);
        return texts;
    }
    // A Birch file as the Birch radio writes it.
    std::string BirchFile() {
        // A radio gets its parameter set when it is first selected.
        const int current = List().Current();
        List().Select(IndexOf("BIRCH"));
        List().Select(current);
        const std::string path = HomeFile("b.brc");
        WriteFile(path, kHeaderBirch + BodyOf(RadioOf("BIRCH")));
        return path;
    }
};

TEST_F(ShellFiles, SaveWithoutFileAsksForOneAndWritesTheContainer) {
    Start();
    ASSERT_TRUE(LoadBody(RadioOf("ALDER"), kWritableBody, true));
    dialogs_.saveAnswers.push_back(HomeFile("one.ald"));
    Press(QKeySequence(Qt::CTRL | Qt::Key_S));

    ASSERT_EQ(dialogs_.saveRequests.size(), 1u);
    const SFileDialogRequest& request = dialogs_.saveRequests[0];
    EXPECT_EQ(request.title, "Сохранение параметров в файле");
    EXPECT_EQ(request.filterIndex, IndexOf("ALDER") + 1);
    EXPECT_EQ(request.defaultExtension, "ald");
    EXPECT_EQ(request.initialDir, Documents().string());  // no "Параметры" folder there
    EXPECT_EQ(request.fileName, "");
    EXPECT_EQ(request.filter.rfind("Файлы с параметрами Ольха-1 (*.ald)|*.ald|", 0), 0u);
    EXPECT_TRUE(request.filter.ends_with("|Все файлы (*.*)|*.*"));

    const std::string bytes = ReadFile(HomeFile("one.ald"));
    EXPECT_EQ(bytes.substr(0, 16), kHeaderAlder);
    EXPECT_EQ(bytes.substr(16), BodyOf(RadioOf("ALDER")));
    EXPECT_EQ(RadioOf("ALDER")->FileName(), HomeFile("one.ald"));
    EXPECT_FALSE(Entry("ALDER").modified);

    // With a file, Save writes without a dialog; Save As always asks, starting in the folder
    // of the last file chosen.
    ASSERT_TRUE(LoadBody(RadioOf("ALDER"), kWritableBody, true));
    Press(QKeySequence(Qt::CTRL | Qt::Key_S));
    EXPECT_EQ(dialogs_.saveRequests.size(), 1u);
    EXPECT_FALSE(Entry("ALDER").modified);
    fs::create_directory(Home() / "sub");
    dialogs_.saveAnswers.push_back(HomeFile("sub/two.ald"));
    Find<QAction>("act_SaveAs")->trigger();
    ASSERT_EQ(dialogs_.saveRequests.size(), 2u);
    EXPECT_EQ(dialogs_.saveRequests[1].fileName, HomeFile("one.ald"));
    dialogs_.saveAnswers.push_back(std::nullopt);
    Find<QAction>("act_SaveAs")->trigger();
    EXPECT_EQ(dialogs_.saveRequests[2].initialDir, (Home() / "sub").string());
    EXPECT_EQ(RadioOf("ALDER")->FileName(), HomeFile("sub/two.ald"));
    EXPECT_TRUE(dialogs_.errors.empty());
}

// Without "Параметры" the dialogs start in the user's documents, never in the program's folder;
// each starts in the next run where it was last used, while that folder is still there.
TEST_F(ShellFiles, DialogsStartWhereTheyWereLastUsedInAnEarlierRun) {
    Start();
    fs::create_directories(Home() / "kept");
    fs::create_directories(Home() / "saved");
    fs::copy_file(BirchFile(), Home() / "kept" / "b.brc");
    Open((Home() / "kept" / "b.brc").string());
    dialogs_.saveAnswers.push_back((Home() / "saved" / "b.brc").string());
    Find<QAction>("act_SaveAs")->trigger();
    EXPECT_EQ(dialogs_.openRequests[0].initialDir, Documents().string());
    EXPECT_EQ(dialogs_.saveRequests[0].initialDir, Documents().string());

    const auto restartAndAsk = [this] {
        program_.reset();
        ports_.reset();
        radios_.reset();
        Start();
        dialogs_.openRequests.clear();
        dialogs_.saveRequests.clear();
        dialogs_.openAnswers.push_back(std::nullopt);
        Press(QKeySequence(Qt::CTRL | Qt::Key_O));
        dialogs_.saveAnswers.push_back(std::nullopt);
        Find<QAction>("act_SaveAs")->trigger();
        EXPECT_EQ(dialogs_.openRequests.size(), 1u);
        EXPECT_EQ(dialogs_.saveRequests.size(), 1u);
    };
    restartAndAsk();
    EXPECT_EQ(dialogs_.openRequests[0].initialDir, (Home() / "kept").string());
    EXPECT_EQ(dialogs_.saveRequests[0].initialDir, (Home() / "saved").string());
    fs::remove_all(Home() / "kept");
    restartAndAsk();
    EXPECT_EQ(dialogs_.openRequests[0].initialDir, Documents().string());
    EXPECT_EQ(dialogs_.saveRequests[0].initialDir, (Home() / "saved").string());
    EXPECT_TRUE(dialogs_.errors.empty());
}

// Files dropped from a file manager, like those named on the command line, open each into the
// radio it names; one that fails is reported and the others still open. Other drops are
// refused.
TEST_F(ShellFiles, DroppedFilesOpenEachIntoTheRadioTheyName) {
    Start();
    const std::string birch = BirchFile();
    const std::string broken = HomeFile("broken.ald");
    WriteFile(broken, "TESSEL30");
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QString::fromStdString(broken)),
                   QUrl::fromLocalFile(QString::fromStdString(birch))});
    QMimeData text;
    text.setText(QStringLiteral("b.brc"));
    for (QMimeData* data : {&text, &files}) {
        QDragEnterEvent enter(QPoint(300, 200), Qt::CopyAction, data, Qt::LeftButton, {});
        enter.ignore();
        QApplication::sendEvent(&Window(), &enter);
        EXPECT_EQ(enter.isAccepted(), data == &files);
    }
    QDropEvent drop(QPointF(300, 200), Qt::CopyAction, &files, Qt::LeftButton, {});
    QApplication::sendEvent(&Window(), &drop);
    ASSERT_TRUE(WaitFor([this] { return List().Current() == IndexOf("BIRCH"); }, 5000));
    EXPECT_EQ(ErrorTexts(), (std::vector<std::string>{"Файл поврежден или имеет неверный формат"}));
    EXPECT_EQ(RadioOf("BIRCH")->FileName(), birch);
    EXPECT_EQ(Caption(), Base() + " - [Файл \"b.brc\"]");
}

TEST_F(ShellFiles, DialogsStartInTheParametersFolderWhenThereIsOne) {
    fs::create_directory(Home() / "Параметры");
    Start();
    dialogs_.openAnswers.push_back(std::nullopt);
    Press(QKeySequence(Qt::CTRL | Qt::Key_O));
    ASSERT_EQ(dialogs_.openRequests.size(), 1u);
    const SFileDialogRequest& request = dialogs_.openRequests[0];
    EXPECT_EQ(request.title, "Открыть параметры из файла");
    EXPECT_EQ(request.initialDir, (Home() / "Параметры").string());
    EXPECT_EQ(request.filterIndex, 1);  // all parameter files, then each radio's, then all files
    EXPECT_EQ(request.filter.rfind("Все файлы с параметрами (*.ald *.brc *.cdr *.lrc)|*.ald;", 0),
              0u)
        << request.filter;
    EXPECT_EQ(request.fileName, "");
    OpenAs("LARCH", "");
    dialogs_.openAnswers.clear();
    EXPECT_EQ(dialogs_.openRequests[1].title,
              "Открыть параметры из файла в формате радиостанции \"Лиственница-1\"");
}

// Every rejected file leaves the selection, the file name and the parameters as they were.
TEST_F(ShellFiles, RejectedFilesShowTheirMessageAndChangeNothing) {
    Start();
    const std::string body = BodyOf(RadioOf("ALDER"));
    struct {
        const char* name;
        std::string bytes;
        const char* message;
    } const cases[] = {
        {"short.ald", kHeaderAlder.substr(0, 15), "Файл поврежден или имеет неверный формат"},
        {"sign.ald", "TESSEL303ALDER00" + body, "Файл поврежден или имеет неверный формат"},
        {"model.ald", "TESSEL302OAKXX00" + body,
         "Параметры из файла не соответствуют ни одной радиостанции!"},
        {"variant.ald", "TESSEL302ALDER01" + body,
         "Параметры из файла не соответствуют ни одной радиостанции!"},
        {"lower.ald", "TESSEL302alder00" + body,
         "Параметры из файла не соответствуют ни одной радиостанции!"},
    };
    for (const auto& c : cases) {
        WriteFile(HomeFile(c.name), c.bytes);
        dialogs_.errors.clear();
        Open(HomeFile(c.name));
        ASSERT_EQ(ErrorTexts(), std::vector<std::string>{c.message}) << c.name;
        EXPECT_EQ(dialogs_.errors[0].title, Base());
        EXPECT_EQ(List().Current(), IndexOf("ALDER"));
        EXPECT_EQ(RadioOf("ALDER")->FileName(), "");
    }
    dialogs_.errors.clear();
    Open(HomeFile("missing.ald"));
    EXPECT_EQ(ErrorTexts(), std::vector<std::string>{"Ошибка чтения парамеров из файла!"});
}

TEST_F(ShellFiles, BodyRejectedByTheModelLeavesTheMatchedRadioSelected) {
    Start();
    RadioOf("BIRCH")->SetFileName(HomeFile("kept.brc"));
    WriteFile(HomeFile("bad.brc"), kHeaderBirch + "\r\nFR1=abc\r\n");
    Open(HomeFile("bad.brc"));
    EXPECT_EQ(ErrorTexts(), std::vector<std::string>{"Файл поврежден или имеет неверный формат"});
    EXPECT_EQ(List().Current(), IndexOf("BIRCH"));
    EXPECT_EQ(RadioOf("BIRCH")->FileName(), HomeFile("kept.brc"));
}

TEST_F(ShellFiles, OpenFindsTheRadioOfTheFile) {
    Start();
    const std::string file = BirchFile();
    Open(file);
    EXPECT_TRUE(dialogs_.errors.empty());
    EXPECT_EQ(List().Current(), IndexOf("BIRCH"));
    EXPECT_EQ(Caption(), Base() + " - [Файл \"b.brc\"]");
    EXPECT_FALSE(Entry("BIRCH").modified);
    EXPECT_EQ(Find<QLabel>("stspnl_RName")->text().toStdString(), "Параметры \"Берёза-1\"");
    EXPECT_EQ(dialogs_.openRequests[0].initialDir, Documents().string());
}

// Opened "as" Alder, the Birch body goes into the Alder set, which then belongs to no file and
// is marked modified.
TEST_F(ShellFiles, OpenAsLoadsIntoTheChosenRadio) {
    Start();
    const std::string file = BirchFile();
    RadioOf("ALDER")->SetFileName(HomeFile("old.ald"));
    OpenAs("ALDER", file);
    EXPECT_TRUE(dialogs_.errors.empty());
    EXPECT_EQ(List().Current(), IndexOf("ALDER"));
    EXPECT_EQ(RadioOf("ALDER")->FileName(), "");
    EXPECT_TRUE(Entry("ALDER").modified);
    EXPECT_EQ(Window().RadioRowText(IndexOf("ALDER")).toStdString(), " Ольха-1 *");
    EXPECT_EQ(Caption(), Base());
}

TEST_F(ShellFiles, CancelAtThePromptLeavesTheFileUnloaded) {
    Start();
    List().Select(IndexOf("BIRCH"));
    ASSERT_TRUE(LoadBody(RadioOf("BIRCH"), "\r\n0Enabled=1\r\n", true));
    const std::string before = BodyOf(RadioOf("BIRCH"));
    List().Select(IndexOf("ALDER"));
    const std::string file = HomeFile("b.brc");
    WriteFile(file, kHeaderBirch + "\r\n");
    dialogs_.answers.push_back(EAnswer::Cancel);
    Open(file);
    ASSERT_EQ(dialogs_.questions.size(), 1u);
    EXPECT_EQ(dialogs_.questions[0].text,
              "Параметры \"Берёза-1\" были изменены. Сохранить изменения в новом файле?");
    EXPECT_EQ(dialogs_.questions[0].title, Base());
    EXPECT_EQ(List().Current(), IndexOf("BIRCH"));
    EXPECT_EQ(BodyOf(RadioOf("BIRCH")), before);
    EXPECT_TRUE(Entry("BIRCH").modified);
    EXPECT_TRUE(dialogs_.errors.empty());
}

// Saving before an open must not write over the file about to be read, also when the dialog
// names it by another path.
TEST_F(ShellFiles, PromptBeforeOpenNeverSavesIntoTheOpeningFile) {
    Start();
    const std::string file = HomeFile("x.ald");
    dialogs_.saveAnswers.push_back(file);
    Find<QAction>("act_SaveAs")->trigger();
    const std::string saved = ReadFile(file);
    ASSERT_TRUE(LoadBody(RadioOf("ALDER"), kWritableBody, true));

    fs::create_directory(Home() / "sub");
    dialogs_.answers.push_back(EAnswer::Yes);
    dialogs_.saveAnswers = {file, HomeFile("sub/../x.ald"), HomeFile("y.ald")};
    Open(file);
    ASSERT_EQ(dialogs_.questions.size(), 1u);
    EXPECT_EQ(dialogs_.questions[0].text,
              "Параметры \"Ольха-1\" были изменены. Сохранить изменения в файле \"" + file + "\"?");
    EXPECT_EQ(dialogs_.saveRequests.size(), 4u);  // Save As, then three times from the prompt
    // The dialog itself refuses the opening file, however it is written, before it would ask
    // to replace it.
    const SFileDialogRequest& fromPrompt = dialogs_.saveRequests[1];
    ASSERT_TRUE(fromPrompt.refusal);
    EXPECT_EQ(fromPrompt.refusalTitle, Base());
    EXPECT_EQ(fromPrompt.refusal(file), "Нельзя сохранять параметры в открываемый файл!");
    EXPECT_EQ(fromPrompt.refusal(HomeFile("sub/../x.ald")), fromPrompt.refusal(file));
    EXPECT_EQ(fromPrompt.refusal(HomeFile("y.ald")), "");
    EXPECT_EQ(ErrorTexts(),
              (std::vector<std::string>{"Нельзя сохранять параметры в открываемый файл!",
                                        "Нельзя сохранять параметры в открываемый файл!"}));
    // The edit went to y.ald; then x.ald was loaded as it was on disk, with no channel in use.
    EXPECT_NE(ReadFile(HomeFile("y.ald")).find("\r\n0Enabled=1\r\n"), std::string::npos);
    EXPECT_EQ(ReadFile(file), saved);
    EXPECT_EQ(RadioOf("ALDER")->FileName(), file);
    EXPECT_FALSE(Entry("ALDER").modified);
    EXPECT_NE(BodyOf(RadioOf("ALDER")).find("\r\n0Enabled=0\r\n"), std::string::npos);
}

TEST_F(ShellFiles, FailedSaveKeepsTheFileNameAndTheMark) {
    Start();
    ASSERT_TRUE(LoadBody(RadioOf("ALDER"), kWritableBody, true));
    const std::string file = HomeFile("keep.ald");
    WriteFile(file, "old contents");
    RadioOf("ALDER")->SetFileName(file);
    dialogs_.saveAnswers.push_back(HomeFile("no/such/folder/a.ald"));
    Find<QAction>("act_SaveAs")->trigger();
    EXPECT_EQ(ErrorTexts(), std::vector<std::string>{"Ошибка сохранения парамеров в файле!"});
    EXPECT_EQ(RadioOf("ALDER")->FileName(), file);
    EXPECT_TRUE(Entry("ALDER").modified);
    EXPECT_EQ(ReadFile(file), "old contents");

    // Cancel in the dialog: nothing at all.
    dialogs_.errors.clear();
    dialogs_.saveAnswers.push_back(std::nullopt);
    Find<QAction>("act_SaveAs")->trigger();
    EXPECT_TRUE(dialogs_.errors.empty());
    EXPECT_TRUE(Entry("ALDER").modified);
}

TEST_F(ShellFiles, NewAsksFirstThenResetsTheRadio) {
    Start();
    ASSERT_TRUE(LoadBody(RadioOf("ALDER"), kWritableBody, true));
    RadioOf("ALDER")->SetFileName(HomeFile("n.ald"));
    RadioOf("ALDER")->SetConverterType(2);
    const std::string edited = BodyOf(RadioOf("ALDER"));

    dialogs_.answers.push_back(EAnswer::Cancel);
    Find<QAction>("act_New")->trigger();
    EXPECT_EQ(BodyOf(RadioOf("ALDER")), edited);

    dialogs_.answers.push_back(EAnswer::No);
    Find<QAction>("act_New")->trigger();
    EXPECT_NE(BodyOf(RadioOf("ALDER")), edited);
    EXPECT_EQ(RadioOf("ALDER")->FileName(), "");
    EXPECT_EQ(RadioOf("ALDER")->ConverterType(), -1);
    EXPECT_FALSE(Entry("ALDER").modified);
    EXPECT_EQ(Caption(), Base());
    EXPECT_EQ(Window().RadioRowText(IndexOf("ALDER")).toStdString(), " Ольха-1");
    EXPECT_EQ(dialogs_.questions.size(), 2u);
    EXPECT_FALSE(fs::exists(HomeFile("n.ald")));  // "No" saves nothing
}

}  // namespace
