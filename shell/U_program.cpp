#include "U_program.h"

CProgram::CProgram(const CModules& modules, CLinkPorts& ports, IUserDialogs& dialogs,
                   const std::filesystem::path& programDir)
    : radios_(std::make_unique<CRadios>(modules, dialogs, ports, programDir)),
      window_(std::make_unique<Tfrm_Main>(*radios_, modules, dialogs, programDir)),
      upr_(new Tfrm_UPR(window_.get())),
      about_(new Tfrm_About(window_.get())) {
    window_->SetDialogs(upr_, about_);
}

CProgram::~CProgram() {
    window_.reset();
    radios_.reset();
}

bool ParseProgramArguments(const QStringList& arguments, SProgramArguments& parsed,
                           std::string& error) {
    static const QString kOption = QStringLiteral("--virtual-radio");
    std::vector<std::string>& virtualRadios = parsed.virtualRadios;
    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& word = arguments[i];
        if (optionsEnded || !word.startsWith(QLatin1Char('-'))) {
            parsed.files.push_back(word.toStdString());
        } else if (word == QStringLiteral("--")) {
            optionsEnded = true;
        } else if (word == kOption) {
            if (i + 1 >= arguments.size()) {
                error = "--virtual-radio needs a radio description, e.g. --virtual-radio alder";
                return false;
            }
            virtualRadios.push_back(arguments[++i].toStdString());
        } else if (word.startsWith(kOption + QLatin1Char('='))) {
            virtualRadios.push_back(word.mid(kOption.size() + 1).toStdString());
        } else {
            error = "unknown argument " + word.toStdString() +
                    "; usage: Tessel [--virtual-radio MODEL[,option=value...]]... [FILE]...";
            return false;
        }
    }
    return true;
}
