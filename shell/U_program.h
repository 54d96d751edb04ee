#pragma once
// The program assembled in its start-up order: the radio list from the registry, the main
// window, then the converter dialog and the About box. Destroyed in reverse, so that the
// window has let go of the module views before the list and then the modules go.

#include <QStringList>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "F_about.h"
#include "F_main.h"
#include "F_upr.h"
#include "U_radios.h"

class CProgram {
  public:
    CProgram(const CModules& modules, CLinkPorts& ports, IUserDialogs& dialogs,
             const std::filesystem::path& programDir);
    ~CProgram();
    CProgram(const CProgram&) = delete;
    CProgram& operator=(const CProgram&) = delete;

    CRadios& Radios() { return *radios_; }
    Tfrm_Main& Window() { return *window_; }
    Tfrm_UPR& ConverterDialog() { return *upr_; }
    Tfrm_About& About() { return *about_; }

  private:
    std::unique_ptr<CRadios> radios_;
    std::unique_ptr<Tfrm_Main> window_;
    Tfrm_UPR* upr_;      // owned by the window
    Tfrm_About* about_;  // owned by the window
};

struct SProgramArguments {
    std::vector<std::string> virtualRadios;
    std::vector<std::string> files;  // parameter files to open, in the order given
};

// The command line: --virtual-radio MODEL[,option=value...] (or --virtual-radio=...), any
// number of times, and parameter files (every word after "--" is a file). False with a message
// on any other option.
bool ParseProgramArguments(const QStringList& arguments, SProgramArguments& parsed,
                           std::string& error);
