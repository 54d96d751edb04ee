// Texts composed from a radio's name, file and state, the window's size rule, the command line
// and the converter dialog's choices.

#include <QApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fstream>

#include <gtest/gtest.h>

#include "F_main.h"
#include "F_upr.h"
#include "U_dialogs.h"
#include "U_program.h"
#include "U_shelltext.h"
#include "U_translations.h"

namespace {

// A click on a choice's round mark.
void Click(QRadioButton* choice) {
    QTest::mouseClick(choice, Qt::LeftButton, {}, QPoint(8, choice->height() / 2));
}

const std::string kBase = "Программатор радиостанций \"Тессел\"";

TEST(ShellTexts, NotFoundNamesThePlatformSearched) {
    struct {
        SIrdaPlatformChoice platform;
        std::string text;
    } const cases[] = {
        {{EIrdaPlatformKind::Sir, {}, "/dev/ttyUSB0"},
         "Радиостанция не найдена (ИК-адаптер /dev/ttyUSB0)"},
        {{EIrdaPlatformKind::Kernel, {}, {}}, "Радиостанция не найдена (ИК-порт системы)"},
        {{EIrdaPlatformKind::Virtual, "/tmp/x", {}},
         "Радиостанция не найдена (виртуальные радиостанции)"},
    };
    for (const auto& c : cases) EXPECT_EQ(shelltext::RadioNotFoundText(c.platform), c.text);
}

TEST(ShellTexts, CaptionShowsTheFilePartAndTheModifiedMark) {
    struct {
        std::string file;
        bool modified;
        std::string caption;
    } const cases[] = {
        {"", false, kBase},
        {"", true, kBase},
        {"/data/a.ald", false, kBase + " - [Файл \"a.ald\"]"},
        {"/data/a.ald", true, kBase + " - [Файл \"a.ald\"] *"},
        {"relative/dir/Ольха 2.ald", true, kBase + " - [Файл \"Ольха 2.ald\"] *"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(shelltext::ComposeCaption(kBase, c.file, c.modified), c.caption) << c.file;
}

TEST(ShellTexts, SaveQuestionNamesTheRadioAndTheFile) {
    EXPECT_EQ(shelltext::SaveChangesQuestion("Ольха-1", ""),
              "Параметры \"Ольха-1\" были изменены. Сохранить изменения в новом файле?");
    EXPECT_EQ(shelltext::SaveChangesQuestion("Ольха-1", "/d/a.ald"),
              "Параметры \"Ольха-1\" были изменены. Сохранить изменения в файле \"/d/a.ald\"?");
    EXPECT_EQ(shelltext::SearchText("Берёза-1"), "Поиск радиостанции \"Берёза-1\"...");
    EXPECT_EQ(shelltext::RadioNameText("Кедр-1"), "Параметры \"Кедр-1\"");
    EXPECT_EQ(shelltext::OpenAsTitle("Ольха-1"),
              "Открыть параметры из файла в формате радиостанции \"Ольха-1\"");
}

TEST(ShellTexts, ConverterTypeNames) {
    const std::pair<int, std::string> cases[] = {
        {0, "Нет"},     {1, "UPR-A1"}, {2, "УПР-Б2"}, {5, "УПР-В3"},
        {16, "УПР-Г4"}, {-1, ""},      {3, ""},       {255, ""},
    };
    for (const auto& [code, name] : cases) EXPECT_EQ(shelltext::UprTypeName(code), name) << code;
    // The panel's code 1 is in Latin letters.
    EXPECT_EQ(shelltext::UprTypeName(1).find("УПР"), std::string::npos);
}

// "*.*" would hide every file without an extension: all files are "*".
TEST(ShellTexts, FileDialogFilterForQtKeepsTheDescriptionsAndShowsEveryFile) {
    EXPECT_EQ(QtNameFilters("Файлы с параметрами Ольха-1 (*.ald)|*.ald|Все файлы (*.*)|*.*"),
              "Файлы с параметрами Ольха-1 (*.ald);;Все файлы (*)");
}

QString Caption(QAbstractButton* button) {
    return button ? button->text().remove(QLatin1Char('&')) : QStringLiteral("(none)");
}

TEST(ToolkitTexts, StandardButtonsAndFileDialogsAreInRussian) {
    ASSERT_TRUE(InstallToolkitTranslations(*qApp));
    QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("q"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(Caption(box.button(QMessageBox::Yes)), "Да");
    EXPECT_EQ(Caption(box.button(QMessageBox::No)), "Нет");
    EXPECT_EQ(Caption(box.button(QMessageBox::Cancel)), "Отмена");
    const struct {
        QFileDialog::AcceptMode mode;
        QDialogButtonBox::StandardButton button;
        const char* caption;
    } dialogs[] = {{QFileDialog::AcceptOpen, QDialogButtonBox::Open, "Открыть"},
                   {QFileDialog::AcceptSave, QDialogButtonBox::Save, "Сохранить"}};
    for (const auto& d : dialogs) {
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(d.mode);
        auto* buttons = dialog.findChild<QDialogButtonBox*>();
        ASSERT_NE(buttons, nullptr);
        EXPECT_EQ(Caption(buttons->button(d.button)), d.caption);
        EXPECT_EQ(Caption(buttons->button(QDialogButtonBox::Cancel)), "Отмена");
    }
}

// The save dialog checks the program's refusal before it asks to replace a file: the file being
// opened gets the refusal alone and the dialog stays; any other file gets the replace question.
TEST(FileDialog, RefusalComesBeforeTheReplaceQuestion) {
    QTemporaryDir dir;
    const std::string refused = dir.filePath(QStringLiteral("x.ald")).toStdString();
    const std::string other = dir.filePath(QStringLiteral("y.ald")).toStdString();
    std::ofstream(refused) << "x";
    std::ofstream(other) << "y";
    SFileDialogRequest request;
    request.initialDir = dir.path().toStdString();
    request.refusalTitle = "T";
    request.refusal = [&refused](const std::string& file) {
        return file == refused ? std::string("Нельзя") : std::string();
    };
    TFileDialog dialog(nullptr, request);
    dialog.setAcceptMode(QFileDialog::AcceptSave);

    QStringList boxes;  // every message box shown, answered No
    QTimer answer;
    answer.setInterval(10);
    QObject::connect(&answer, &QTimer::timeout, [&boxes] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            boxes << box->text();
            box->done(QMessageBox::No);
        }
    });
    answer.start();
    for (const std::string& file : {refused, other}) {
        boxes.clear();
        dialog.selectFile(QString::fromStdString(file));
        dialog.accept();
        ASSERT_EQ(boxes.size(), 1) << file;
        EXPECT_EQ(boxes[0] == QStringLiteral("Нельзя"), file == refused) << file;
        EXPECT_NE(dialog.result(), QDialog::Accepted) << file;
    }
}

TEST(ShellTexts, SmallScreensGetTheCompactMaximizedWindow) {
    struct {
        QSize screen;
        int width, height;
        bool compact;
    } const cases[] = {
        {{1280, 1024}, 955, 648, false}, {{801, 601}, 955, 648, false},
        {{800, 600}, 800, 550, true},    {{800, 1024}, 800, 550, true},
        {{1366, 600}, 800, 550, true},
    };
    for (const auto& c : cases) {
        const SClientSizing sizing = Tfrm_Main::SizingForScreen(c.screen);
        EXPECT_EQ(sizing.width, c.width) << c.screen.width() << "x" << c.screen.height();
        EXPECT_EQ(sizing.height, c.height);
        EXPECT_EQ(sizing.compact, c.compact);
    }
}

TEST(ShellTexts, CommandLineTakesRepeatedVirtualRadiosAndFiles) {
    SProgramArguments parsed;
    std::string error;
    EXPECT_TRUE(ParseProgramArguments({"Tessel", "a.ald", "--virtual-radio", "alder,sn=5",
                                       "--virtual-radio=birch", "/tmp/b c.brc", "--", "-d.lch"},
                                      parsed, error));
    EXPECT_EQ(parsed.virtualRadios, (std::vector<std::string>{"alder,sn=5", "birch"}));
    EXPECT_EQ(parsed.files, (std::vector<std::string>{"a.ald", "/tmp/b c.brc", "-d.lch"}));
    SProgramArguments wrong;
    EXPECT_FALSE(ParseProgramArguments({"Tessel", "--virtual-radio"}, wrong, error));
    EXPECT_FALSE(ParseProgramArguments({"Tessel", "--radio", "alder"}, wrong, error));
    EXPECT_NE(error.find("--radio"), std::string::npos);
}

// The dialog opens on the choice of the code; a code it does not offer shows "determine when
// writing" but is kept until the operator clicks a choice.
TEST(ConverterDialog, MarksTheChoiceAndKeepsAnUnofferedCode) {
    Tfrm_UPR dialog;
    struct {
        int code;
        std::size_t marked;
    } const cases[] = {{-1, 0}, {0, 1}, {1, 2}, {2, 3}, {5, 4}, {16, 0}, {7, 0}};
    for (const auto& c : cases) {
        dialog.Prepare(c.code);
        EXPECT_TRUE(dialog.Choice(c.marked)->isChecked()) << c.code;
        EXPECT_EQ(dialog.Value(), c.code);
    }
    EXPECT_EQ(dialog.Choice(2)->text().toStdString(), "УПР-А1");  // Cyrillic in the dialog
    dialog.Prepare(16);
    dialog.show();
    Click(dialog.Choice(4));
    EXPECT_EQ(dialog.Value(), 5);
    Click(dialog.Choice(0));
    EXPECT_EQ(dialog.Value(), -1);
}

TEST(ConverterDialog, AcceptReturnsTheValueAndCancelNothing) {
    Tfrm_UPR dialog;
    QTimer::singleShot(0, &dialog, [&] {
        Click(dialog.Choice(3));
        QTest::mouseClick(dialog.AcceptButton(), Qt::LeftButton);
    });
    EXPECT_EQ(dialog.Execute(0), std::optional<int>(2));
    QTimer::singleShot(0, &dialog, [&] {
        Click(dialog.Choice(1));
        QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
    });
    EXPECT_EQ(dialog.Execute(5), std::nullopt);
}

}  // namespace
