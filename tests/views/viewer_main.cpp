// Shows the Alder view with sample channels in a window the size of the screen, on one page,
// and saves a picture of it: tessel-view-viewer --page N --out file.png; with --marked, channels
// 03..09 are marked on the channel table; --fill file.png also saves the fill dialog for them.
#include "F_alderview.h"
#include "U_alderware.h"

#include <QApplication>
#include <QMainWindow>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

namespace {

void FillSample(CAlderData& data) {
    const int frequencies[] = {145500000, 146012500, 148987500, 165000000,
                               166250000, 170000000, 173987500, 150000000};
    for (int i = 0; i < 8; ++i) {
        CAlderCanal& canal = *data.Canal(i * 3);
        canal.SetEnabled(i != 5);
        canal.SetFRQ_PRM(frequencies[i]);
        if (i % 3 == 1) canal.SetFRQ_PRD(frequencies[i] + 600000);
        canal.SetCSS_PRM(i * 7 % 52);
        if (i == 2) canal.SetCSS_PRD(51);
        canal.SetScanning(i % 2 == 0);
        canal.SetBlockPRDIfBusy(i == 4);
    }
    data.SetDTMF_Number("12AB*#");
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const auto value = [&args](const QString& name, const QString& fallback) {
        const qsizetype i = args.indexOf(name);
        return i >= 0 && i + 1 < args.size() ? args[i + 1] : fallback;
    };
    const int page = value("--page", "0").toInt();
    const QString out = value("--out", QString());

    CAlderWare* ware = CWareSingleton<CAlderWare>::Get();
    InstallAlderView(*ware);
    ware->AttachData(ware->GetRadio(0), nullptr, nullptr);
    FillSample(*dynamic_cast<CAlderData*>(ware->AttachedData()));

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Tessel - Ольха-1"));
    QWidget* view = ware->GetView();
    window.setCentralWidget(view);
    window.statusBar()->showMessage(QStringLiteral("Ольха-1"));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    window.setGeometry(screen.adjusted(0, 0, 0, -30));
    window.show();
    view->findChild<QTabWidget*>("pgc_Data")->setCurrentIndex(page);
    auto* alderView = dynamic_cast<TAlderView*>(view);
    if (args.contains("--marked")) {
        alderView->CanalGrid().Grid().setFocus();
        alderView->CanalGrid().SelectCanals({3, 4, 5, 6, 7, 8, 9});
    }
    const QString fillOut = value("--fill", QString());
    if (out.isEmpty()) return app.exec();
    QTimer::singleShot(300, &window, [&] {
        window.grab().save(out);
        if (!fillOut.isEmpty()) {
            alderView->CanalEditing()->runFill = [&fillOut](views::TFillDialog& dialog) {
                dialog.show();
                QApplication::processEvents();
                dialog.grab().save(fillOut);
                return false;
            };
            alderView->CanalEditing()->Fill();
        }
        window.takeCentralWidget();  // the module frees its own view
        CWareSingleton<CAlderWare>::Release();
        app.quit();
    });
    return app.exec();
}
