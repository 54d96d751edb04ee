// Tessel: the radio programmer's window.

#include <QApplication>
#include <QMessageBox>

#include <exception>
#include <iostream>
#include <memory>

#include "U_program.h"
#include "U_shelltext.h"
#include "U_virtualradios.h"

namespace {

int Run(QApplication& app) {
    std::vector<std::string> descriptions;
    std::string error;
    if (!ParseProgramArguments(app.arguments(), descriptions, error)) {
        std::cerr << error << '\n';
        return 2;
    }
    // Virtual radios come first and go last: the links and the plug-ins talk to them.
    std::unique_ptr<sim::CVirtualRadios> virtualRadios;
    if (!descriptions.empty()) virtualRadios = std::make_unique<sim::CVirtualRadios>(descriptions);

    const CModules modules;
    CLinkPorts ports(virtualRadios ? virtualRadios->LinkConfig() : SLinkConfig::FromEnvironment());
    if (!ports.IrdaRefusal().empty()) std::cerr << "Tessel: " << ports.IrdaRefusal() << '\n';
    CQtUserDialogs dialogs;
    CProgram program(modules, ports, dialogs, platform::ExecutableDirectory());
    dialogs.SetParent(&program.Window());
    program.Window().ShowInitially();
    return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(shelltext::kApplicationTitle));
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
