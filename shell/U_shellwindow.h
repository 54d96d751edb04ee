#pragma once
// What the radio list and the workers need from the main window.

#include <string>

class QWidget;

class IShellWindow {
  public:
    // Caption, list and properties panel from the current radio.
    virtual void UpdateState() = 0;
    // The host of the current module's view.
    virtual QWidget* DataPanel() = 0;
    virtual void SetRadioNameText(const std::string& text) = 0;
    virtual void ShowStatus(const std::string& text) = 0;
    virtual void SetClearTimer(bool on) = 0;
    // Read and write commands off while a search or transfer runs, and the view with them.
    virtual void SetBusy() = 0;
    virtual void SetIdle() = 0;
    // 0..100 shows the progress pane; -1 hides it and refreshes the window.
    virtual void ShowProgress(int percent) = 0;
    virtual void ShowRadioInfo() = 0;

  protected:
    ~IShellWindow() = default;
};
