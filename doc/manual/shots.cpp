// tessel-manual-shots: the manual's pictures, taken from the program itself on the offscreen
// platform: the window after a read from the demonstration radio of each model, on every page of
// the model's view (MODEL-PAGE.png), the About box (about.png) and a group write of three
// radios, one of them failing (fleet.png). Usage: tessel-manual-shots
// MODULE_ROOT OUT_DIR

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPixmap>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QThread>

#include <iostream>
#include <string>
#include <vector>

#include "F_fleet.h"
#include "U_fleetlog.h"
#include "U_outfile.h"
#include "U_paramfile.h"
#include "U_program.h"
#include "U_virtualradios.h"

namespace {

// A screen of the usual size, so that the window takes its normal layout, not the compact one.
constexpr const char* kScreenConfig =
    R"({"screens":[{"name":"manual","x":0,"y":0,"width":1280,"height":1024,)"
    R"("logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})";

// No one answers at build time: changes are never saved, nothing is opened, and an error message
// is printed and fails the run.
class CUnattendedDialogs final : public IUserDialogs {
  public:
    bool failed = false;

    void ShowError(const std::string& title, const std::string& text) override {
        std::cerr << title << ": " << text << '\n';
        failed = true;
    }
    EAnswer AskYesNoCancel(const std::string&, const std::string&) override { return EAnswer::No; }
    std::optional<std::string> AskOpenFile(const SFileDialogRequest&) override { return {}; }
    std::optional<std::string> AskSaveFile(const SFileDialogRequest&) override { return {}; }
    std::optional<int> RunConverterDialog(Tfrm_UPR&, int) override { return {}; }
    void RunAboutBox(Tfrm_About&) override {}
    bool OpenDocument(const std::string&) override { return false; }
};

bool WaitUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    QApplication::processEvents();
    return true;
}

bool Save(QWidget& widget, const QString& file) {
    QApplication::processEvents();
    if (widget.grab().save(file)) return true;
    std::cerr << "cannot write " << file.toStdString() << '\n';
    return false;
}

// The program with the demonstration radio of the model in row; reads it and takes the window on
// every page of the model's view, and for the first model also the About box.
bool ShootModel(const CModules& modules, const std::filesystem::path& programDir, int row,
                const QDir& out) {
    const std::string description =
        RadioList(modules).at(static_cast<std::size_t>(row))->Ware()->Description();
    const QString id = QString::fromStdString(description).toLower();
    // One radio in range, in a neighbourhood of our own, so the search meets that model first.
    const sim::CVirtualRadios virtualRadios({id.toStdString()});
    CLinkPorts ports(virtualRadios.LinkConfig());
    CUnattendedDialogs dialogs;
    // Each picture shows one radio read, with no other radio marked as changed.
    for (IRadio* radio : RadioList(modules))
        if (IRadioData* data = radio->Data()) data->Reset();
    CProgram program(modules, ports, dialogs, programDir);
    Tfrm_Main& window = program.Window();
    window.ShowInitially();
    if (!WaitUntil([&] { return window.isVisible(); }, 5000)) return false;

    CRadios& radios = program.Radios();
    radios.Select(row);
    radios.StartRead();
    if (!WaitUntil([&] { return !radios.Workers().Busy(); }, 20000)) {
        std::cerr << "the read of " << description << " did not end\n";
        return false;
    }
    // The pages a model shows, numbered from 0 as the operator sees them.
    // The data panel keeps the views of the models shown before, hidden.
    QTabWidget* pages = nullptr;
    for (QTabWidget* candidate : window.DataPanel()->findChildren<QTabWidget*>())
        if (!pages && candidate->isVisible()) pages = candidate;
    const int count = pages ? pages->count() : 1;
    for (int page = 0, shown = 0; page < count; ++page) {
        if (pages && !pages->isTabVisible(page)) continue;
        if (pages) pages->setCurrentIndex(page);
        if (!Save(window, out.filePath(QStringLiteral("%1-%2.png").arg(id).arg(shown++))))
            return false;
    }
    if (row == 0) {
        Tfrm_About& about = program.About();
        about.SetModuleSummary(QString::fromStdString(modules.Summary()));
        about.show();
        const bool saved = Save(about, out.filePath(QStringLiteral("about.png")));
        about.hide();
        if (!saved) return false;
    }
    return !dialogs.failed;
}

// The group write's dialog after three radios of a fleet, the second one dropping the link.
bool ShootFleet(const CModules& modules, const std::filesystem::path& programDir, const QDir& out) {
    const sim::CVirtualRadios virtualRadios({"alder,sn=1204711,fleet=3,fleetfault=2:drop@12"});
    CLinkPorts ports(virtualRadios.LinkConfig());
    CUnattendedDialogs dialogs;
    CProgram program(modules, ports, dialogs, programDir);
    Tfrm_Main& window = program.Window();
    window.ShowInitially();
    if (!WaitUntil([&] { return window.isVisible(); }, 5000)) return false;
    CRadios& radios = program.Radios();
    radios.Select(0);
    IRadio& radio = *radios.Get(0).radio;
    radios.StartRead();  // the demonstration radio's parameters are the file's
    if (!WaitUntil([&] { return !radios.Workers().Busy(); }, 20000)) return false;
    QTemporaryDir scratch;
    const std::filesystem::path file =
        std::filesystem::path(scratch.path().toStdString()) / "группа-17.ald";
    paramfile::SaveParameterFile(file, radio);
    // The copies taken before each write go into the scratch folder, not the user's.
    qputenv("XDG_DATA_HOME", scratch.path().toUtf8());
    std::string bytes;
    if (!interchange::ReadInputFile(file, bytes).empty()) return false;
    Tfrm_Fleet dialog(&window, radios, radio, file, fleet::FileChecksum(bytes));
    dialog.SetNote(QStringLiteral("Заказ 17: отдел связи"));
    dialog.show();
    if (!dialog.Start()) return false;
    if (!WaitUntil([&] { return dialog.Counts().Attempted() == 3; }, 30000)) {
        std::cerr << "the group write did not end\n";
        return false;
    }
    WaitUntil([] { return false; }, 300);  // the prompt for the next radio
    const bool saved = Save(dialog, out.filePath(QStringLiteral("fleet.png")));
    dialog.Stop();
    return saved && !dialogs.failed;
}

int Run(const std::filesystem::path& moduleRoot, const QDir& out) {
    const CModules modules(moduleRoot);
    if (modules.Count() == 0) {
        std::cerr << "no plug-ins under " << moduleRoot << '\n';
        return 1;
    }
    const int rows = static_cast<int>(RadioList(modules).size());
    for (int row = 0; row < rows; ++row)
        if (!ShootModel(modules, moduleRoot.parent_path(), row, out)) return 1;
    return ShootFleet(modules, moduleRoot.parent_path(), out) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: tessel-manual-shots MODULE_ROOT OUT_DIR\n";
        return 2;
    }
    QTemporaryDir scratch;
    const QString config = scratch.filePath(QStringLiteral("screen.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) || file.write(kScreenConfig) < 0) return 1;
    file.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toUtf8());
    // The programming date shown on the pages stays the same from build to build.
    qputenv("TESSEL_PROGRAMMING_DATE", "2026-01-15");
    QApplication app(argc, argv);
    const QDir out(QString::fromLocal8Bit(argv[2]));
    if (!out.mkpath(QStringLiteral("."))) return 1;
    return Run(std::filesystem::path(argv[1]), out);
}
