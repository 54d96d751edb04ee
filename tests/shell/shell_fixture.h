#pragma once
// The program as main assembles it, with the plug-ins of the build, virtual radios in range
// and every question answered by the test.

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>

#include "../file_bytes.h"
#include "U_program.h"
#include "U_virtualradios.h"
#include "Zvc_grid.h"

namespace fs = std::filesystem;

// Answers queued by the test; every question asked is recorded.
class CScriptedDialogs final : public IUserDialogs {
  public:
    struct SMessage {
        std::string title;
        std::string text;
    };
    std::vector<SMessage> errors;
    std::vector<SMessage> questions;
    std::deque<EAnswer> answers;
    std::vector<SFileDialogRequest> openRequests;
    std::deque<std::optional<std::string>> openAnswers;
    std::vector<SFileDialogRequest> saveRequests;
    std::deque<std::optional<std::string>> saveAnswers;
    std::function<std::optional<int>(Tfrm_UPR&)> converterAnswer;
    std::vector<int> converterCodes;
    QPoint converterPosition;
    int aboutShown = 0;
    std::vector<std::string> documents;
    bool viewerStarts = true;  // false: no program on the desktop takes a document

    void ShowError(const std::string& title, const std::string& text) override {
        errors.push_back({title, text});
    }
    EAnswer AskYesNoCancel(const std::string& title, const std::string& question) override {
        questions.push_back({title, question});
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << question;
            return EAnswer::Cancel;
        }
        const EAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<std::string> AskOpenFile(const SFileDialogRequest& request) override {
        openRequests.push_back(request);
        return Next(openAnswers, "open");
    }
    std::optional<std::string> AskSaveFile(const SFileDialogRequest& request) override {
        saveRequests.push_back(request);
        return Next(saveAnswers, "save");
    }
    std::optional<int> RunConverterDialog(Tfrm_UPR& dialog, int code) override {
        converterCodes.push_back(code);
        converterPosition = dialog.pos();
        dialog.Prepare(code);
        return converterAnswer ? converterAnswer(dialog) : std::nullopt;
    }
    void RunAboutBox(Tfrm_About&) override { ++aboutShown; }
    struct SRadioChoice {
        std::string name;
        std::vector<std::string> serials;
        std::size_t preselected;
    };
    std::vector<SRadioChoice> radioChoices;
    // The serial number to choose; nothing cancels.
    std::deque<std::optional<std::string>> radioAnswers;
    std::optional<std::size_t> ChooseRadio(const std::string& name,
                                           const std::vector<std::string>& serials,
                                           std::size_t preselected) override {
        radioChoices.push_back({name, serials, preselected});
        const std::optional<std::string> answer = Next(radioAnswers, "radio choice");
        if (!answer) return std::nullopt;
        const auto at = std::find(serials.begin(), serials.end(), *answer);
        EXPECT_NE(at, serials.end()) << *answer;
        return static_cast<std::size_t>(at - serials.begin());
    }
    bool OpenDocument(const std::string& path) override {
        documents.push_back(path);
        return viewerStarts;
    }

  private:
    static std::optional<std::string> Next(std::deque<std::optional<std::string>>& queue,
                                           const char* kind) {
        if (queue.empty()) {
            ADD_FAILURE() << "unexpected " << kind << " dialog";
            return std::nullopt;
        }
        std::optional<std::string> answer = queue.front();
        queue.pop_front();
        return answer;
    }
};

class ShellTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        setenv("TESSEL_PROGRAMMING_DATE", "2025-04-17", 1);
        // A user of its own: the documents folder and the settings the program keeps.
        if (const char* home = getenv("HOME")) savedHome_ = home;
        fs::create_directories(Documents());
        setenv("HOME", (Home() / "user").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (Home() / "user" / ".config").c_str(), 1);
        // The copies taken before writes stay in the test's own folder.
        setenv("XDG_DATA_HOME", home_.path().toUtf8().constData(), 1);
    }

    void TearDown() override {
        program_.reset();
        ports_.reset();
        ownModules_.reset();
        radios_.reset();
        if (savedHome_)
            setenv("HOME", savedHome_->c_str(), 1);
        else
            unsetenv("HOME");
        unsetenv("XDG_CONFIG_HOME");
    }

    // The plug-ins are loaded once for the whole run, as the program loads them once: a view
    // leaves its fonts in Qt's caches, which must not outlive the library. Each test starts
    // from fresh parameters.
    static CModules& SharedModules() {
        static CModules modules(TESSEL_TEST_MODULE_ROOT);
        return modules;
    }
    static void FreshRadios(const CModules& modules) {
        for (IRadio* radio : RadioList(modules)) {
            radio->SetFileName("");
            radio->SetConverterType(-1);
            radio->SetSerialNumber("");
            if (IRadioData* data = radio->Data()) data->Reset();
        }
    }

    // The program with the given virtual radios in range; shown unless show is false.
    void Start(const std::vector<std::string>& virtualRadios = {}, bool show = true,
               const fs::path& moduleRoot = TESSEL_TEST_MODULE_ROOT) {
        radios_ = std::make_unique<sim::CVirtualRadios>(virtualRadios);
        if (moduleRoot == fs::path(TESSEL_TEST_MODULE_ROOT)) {
            modules_ = &SharedModules();
        } else {
            ownModules_ = std::make_unique<CModules>(moduleRoot);
            modules_ = ownModules_.get();
        }
        FreshRadios(*modules_);
        ports_ = std::make_unique<CLinkPorts>(radios_->LinkConfig());
        ports_->SetWindow(std::chrono::milliseconds(400));
        program_ = std::make_unique<CProgram>(*modules_, *ports_, dialogs_, Home());
        QObject::connect(&Window(), &Tfrm_Main::StatusShown,
                         [this](const QString& text) { statuses_ << text; });
        if (show) ShowWindow();
    }

    void ShowWindow() {
        Window().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window()));
        Window().activateWindow();
        (void)QTest::qWaitForWindowActive(&Window());  // shortcuts need an active window
    }

    Tfrm_Main& Window() { return program_->Window(); }
    CRadios& List() { return program_->Radios(); }
    sim::CVirtualRadio& VirtualRadio(std::size_t i = 0) { return radios_->Radio(i); }
    fs::path Home() const { return fs::path(home_.path().toStdString()); }
    std::string HomeFile(const std::string& name) const { return (Home() / name).string(); }
    fs::path Documents() const { return Home() / "user" / "Documents"; }

    int IndexOf(const std::string& description) {
        for (int i = 0; i < List().Count(); ++i)
            if (List().Get(i).radio->Ware()->Description() == description) return i;
        ADD_FAILURE() << description << " is not in the list";
        return -1;
    }
    IRadio* RadioOf(const std::string& description) {
        return List().Get(IndexOf(description)).radio;
    }
    const SRadio& Entry(const std::string& description) { return List().Get(IndexOf(description)); }

    // Gives a radio's parameter set a body, as an edit or a file would.
    static bool LoadBody(IRadio* radio, const std::string& body, bool modified) {
        std::istringstream in(body);
        return radio->Data()->Load(in, modified);
    }
    static std::string BodyOf(IRadio* radio) {
        std::ostringstream out;
        static_cast<CRadioData*>(radio->Data())->WriteText(out);
        return out.str();
    }
    // Channel 0 in use at the default frequency: a set the radio accepts.
    static constexpr const char* kWritableBody = "\r\n0Enabled=1\r\n";

    template <class T>
    T* Find(const char* name) {
        T* child = Window().findChild<T*>(QString::fromUtf8(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    // The channel table of the view shown now (every model's view holds one).
    ZVCL::TZ_Grid* Grid() {
        for (ZVCL::TZ_Grid* g : Window().findChildren<ZVCL::TZ_Grid*>(QStringLiteral("grd_Canals")))
            if (g->isVisible()) return g;
        ADD_FAILURE() << "no channel table shown";
        return nullptr;
    }
    QString Status() { return Find<QLabel>("stspnl_Text")->text(); }
    std::string Caption() { return Window().windowTitle().toStdString(); }
    std::string Base() { return Window().BaseCaption(); }

    void Press(QKeySequence key) {
        QTest::keySequence(&Window(), key);
        QApplication::processEvents();
    }

    static bool WaitFor(const std::function<bool()>& condition, int ms = 15000) {
        QElapsedTimer clock;
        clock.start();
        while (!condition()) {
            if (clock.elapsed() > ms) return false;
            QTest::qWait(5);
        }
        return true;
    }
    bool WaitIdle() {
        return WaitFor([this] { return !List().Workers().Busy(); });
    }
    // Runs F3 or F5 and waits for the chain to end.
    void Transfer(QKeySequence key) {
        Press(key);
        ASSERT_TRUE(WaitIdle());
    }

    static void WriteFile(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string ReadFile(const std::string& path) { return ReadAll(path); }

    QTemporaryDir home_;
    std::optional<std::string> savedHome_;
    CScriptedDialogs dialogs_;
    QStringList statuses_;
    std::unique_ptr<sim::CVirtualRadios> radios_;
    CModules* modules_ = nullptr;
    std::unique_ptr<CModules> ownModules_;
    std::unique_ptr<CLinkPorts> ports_;
    std::unique_ptr<CProgram> program_;
};
