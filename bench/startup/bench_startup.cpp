// Start-up of the window program, measured from outside: each run is a fresh process (this
// executable with --once) that builds the program as Tessel does (registry, radio list, main
// window, dialogs), shows the window, waits until it is on screen and reports its resident
// memory. The parent times the process from its start to that report.
//   bench_startup [--runs=N]   (other arguments, such as the benchmark runner's, are ignored)

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "U_dialogs.h"
#include "U_program.h"

namespace {

constexpr double kGoalMs = 300;
constexpr double kGoalMb = 80;

long ResidentKb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

int RunOnce(int argc, char** argv) {
    QApplication app(argc, argv);
    const CModules modules(TESSEL_BENCH_MODULE_ROOT);
    CLinkPorts ports(SLinkConfig{});
    CQtUserDialogs dialogs;
    CProgram program(modules, ports, dialogs, modules.DefaultModuleRoot().parent_path());
    program.Window().ShowInitially();
    QElapsedTimer wait;
    wait.start();
    while (!(program.Window().windowHandle() && program.Window().windowHandle()->isExposed()) &&
           wait.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    if (program.Window().findChild<QWidget*>("grd_RadioList") == nullptr) return 1;
    std::printf("shown %d %ld\n", modules.Count(), ResidentKb());
    std::fflush(stdout);
    return 0;
}

struct SRun {
    double ms;
    double mb;
    int modules;
};

bool Measure(const QString& self, SRun& run) {
    QProcess child;
    QElapsedTimer clock;
    clock.start();
    child.start(self, {QStringLiteral("--once")});
    if (!child.waitForStarted(5000)) return false;
    while (!child.canReadLine())
        if (!child.waitForReadyRead(10000)) return false;
    run.ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    const QStringList words = QString::fromLatin1(child.readLine()).trimmed().split(' ');
    child.waitForFinished(10000);
    if (words.size() != 3 || words[0] != QLatin1String("shown")) return false;
    run.modules = words[1].toInt();
    run.mb = words[2].toDouble() / 1024.0;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int runs = 5;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--once") return RunOnce(argc, argv);
        if (word.rfind("--runs=", 0) == 0) runs = std::max(1, std::stoi(word.substr(7)));
    }
    const QString self = QString::fromLocal8Bit(argv[0]);
    std::vector<SRun> results;
    for (int i = 0; i < runs; ++i) {
        SRun run{};
        if (!Measure(self, run)) {
            std::cerr << "start-up run " << i + 1 << " did not show the window\n";
            return 1;
        }
        results.push_back(run);
    }
    std::sort(results.begin(), results.end(), [](auto& a, auto& b) { return a.ms < b.ms; });
    const SRun& median = results[results.size() / 2];
    double mbMax = 0;
    for (const SRun& r : results) mbMax = std::max(mbMax, r.mb);
    std::printf(
        "start-up to window shown, %d modules, %d runs (QPA %s)\n", median.modules, runs,
        qgetenv("QT_QPA_PLATFORM").isEmpty() ? "default" : qgetenv("QT_QPA_PLATFORM").constData());
    std::printf("  time      min %7.1f ms  median %7.1f ms  max %7.1f ms   goal < %.0f ms\n",
                results.front().ms, median.ms, results.back().ms, kGoalMs);
    std::printf("  resident  max %7.1f MB                                goal < %.0f MB\n", mbMax,
                kGoalMb);
    return (median.ms < kGoalMs && mbMax < kGoalMb) ? 0 : 2;
}
