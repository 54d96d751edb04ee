// Tessel: the radio programmer's window.

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string_view>

#include "U_program.h"
#include "U_shelltext.h"
#include "U_translations.h"
#include "U_virtualradios.h"
#include "Zvc_access.h"
#include "tessel_version.h"

namespace {

int Run(QApplication& app) {
    SProgramArguments arguments;
    std::string error;
    if (!ParseProgramArguments(app.arguments(), arguments, error)) {
        std::cerr << error << '\n';
        return 2;
    }
    const std::vector<std::string>& descriptions = arguments.virtualRadios;
    // Virtual radios come first and go last: the links and the plug-ins talk to them.
    std::unique_ptr<sim::CVirtualRadios> virtualRadios;
    if (!descriptions.empty()) virtualRadios = std::make_unique<sim::CVirtualRadios>(descriptions);

    const CModules modules;
    SLinkConfig links =
        virtualRadios ? virtualRadios->LinkConfig() : SLinkConfig::FromEnvironment();
    // Radios named on the command line are the only ones in range, whatever adapter is kept.
    if (virtualRadios) links.irdaFixed = true;
    CLinkPorts ports(links);
    if (!ports.IrdaRefusal().empty()) std::cerr << "Tessel: " << ports.IrdaRefusal() << '\n';
    CQtUserDialogs dialogs;
    CProgram program(modules, ports, dialogs, platform::ExecutableDirectory());
    dialogs.SetParent(&program.Window());
    program.Window().ShowInitially();
    // Files named on the command line (a file manager's "open with") are opened once the
    // window stands, as Open would open them.
    // The names are made absolute, so that the radio's file stays the same file whatever the
    // program's working folder later is.
    std::vector<std::string> files;
    for (const std::string& file : arguments.files)
        files.push_back(std::filesystem::absolute(file).lexically_normal().string());
    if (!files.empty())
        QTimer::singleShot(0, &program.Window(),
                           [&program, files] { program.Radios().OpenFiles(files); });
    return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
    // Answered before Qt starts, so that it works without a display.
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::cout << "Tessel " TESSEL_VERSION "\n";
        return 0;
    }
    QApplication app(argc, argv);
    ZVCL::InstallAccessibility();
    QApplication::setApplicationName(QString::fromUtf8(shelltext::kApplicationTitle));
    InstallToolkitTranslations(app);
    try {
        return Run(app);
    } catch (const std::exception& failure) {
        QMessageBox::critical(nullptr, QApplication::applicationName(),
                              QString::fromUtf8(failure.what()));
    } catch (...) {
        QMessageBox::critical(nullptr, QApplication::applicationName(), QString());
    }
    return 1;
}
