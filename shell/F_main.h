#pragma once
// The main window: the radio list and the properties panel on the left, the current model's
// view on the right, the status line below; the commands, the caption, the status timer, help
// and the About box.

#include <QMainWindow>

#include <filesystem>
#include <string>

#include "U_messagelog.h"
#include "U_radios.h"

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QTimer;
class QToolButton;
class Tfrm_About;
class Tfrm_MessageLog;
class Tfrm_UPR;
namespace ZVCL {
class TZ_Grid;
class TZApplicationHints;
}  // namespace ZVCL

// The smallest client area for a screen; a small screen gets the compact size, maximized.
struct SClientSizing {
    int width;
    int height;
    bool compact;
};

class Tfrm_Main : public QMainWindow, public IShellWindow {
    Q_OBJECT
  public:
    Tfrm_Main(CRadios& radios, const CModules& modules, IUserDialogs& dialogs,
              std::filesystem::path programDir, QWidget* parent = nullptr);
    ~Tfrm_Main() override;

    // The two dialogs the program creates after the window and reuses for the whole run.
    void SetDialogs(Tfrm_UPR* upr, Tfrm_About* about);
    // Centred on the screen, or maximized on a small one.
    void ShowInitially();

    // The smallest client area (below the menu bar) the window can be sized to.
    int MinClientWidth() const { return minClientWidth; }
    int MinClientHeight() const { return minClientHeight; }
    bool IsCompactScreen() const { return compact_; }
    const std::string& BaseCaption() const { return baseCaption; }
    static SClientSizing SizingForScreen(QSize screen);

    // A row of the radio list as drawn: " name", with " *" when modified; the current radio's
    // row in bold.
    QString RadioRowText(int row) const;
    QFont RadioRowFont(int row) const;

    // IShellWindow
    void UpdateState() override;
    QWidget* DataPanel() override;
    void SetRadioNameText(const std::string& text) override;
    void ShowStatus(const std::string& text) override;
    void SetClearTimer(bool on) override;
    void SetBusy() override;
    void SetIdle() override;
    void ShowProgress(int percent) override;
    void ShowRadioInfo() override;

    // The status line's texts with their times (Справка → Журнал сообщений).
    const CMessageLog& MessageLog() const { return log_; }
    Tfrm_MessageLog& MessageLogBox() const { return *frm_MessageLog; }

  signals:
    // Every text put on the status line, in order.
    void StatusShown(const QString& text);

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    // The commands that read, write, replace or switch the parameter set (busy: off).
    void EnableSetCommands(bool enabled);
    QAction* MakeAction(const char* name, const char* caption, QKeySequence key = {});
    QToolButton* MakeButton(const char* name, const char* caption, QAction* action, int glyph,
                            const char* hint);
    void CreateActions();
    void CreateMenus();
    void CreateCommandBar();
    QWidget* CreateRadioColumn();
    QWidget* CreateProperties();
    void CreateStatusBar();
    void SizeWindow();

    void DrawRadioCell(int row, const QRect& rect, QPainter& painter);
    void RefreshProperties();
    void ShowRanges(const QString& text);
    void GreyRadioInfo();
    void OpenHelp();
    void ShowAbout();
    void ShowMessageLog();
    void ConverterGesture();

    CRadios& radios_;
    const CModules& modules_;
    IUserDialogs& dialogs_;
    std::filesystem::path programDir_;
    std::string baseCaption;
    int minClientWidth = 955;
    int minClientHeight = 648;
    bool compact_ = false;
    bool shown_ = false;
    Tfrm_UPR* upr_ = nullptr;
    Tfrm_About* about_ = nullptr;
    CMessageLog log_;
    Tfrm_MessageLog* frm_MessageLog = nullptr;

    ZVCL::TZApplicationHints* hints_ = nullptr;
    QAction* act_New = nullptr;
    QAction* act_Open = nullptr;
    QAction* act_Save = nullptr;
    QAction* act_SaveAs = nullptr;
    QAction* act_Exit = nullptr;
    QAction* act_Read = nullptr;
    QAction* act_Write = nullptr;
    QAction* act_Help = nullptr;
    QAction* act_About = nullptr;
    QAction* act_MessageLog = nullptr;
    QAction* act_IrdaAdapter = nullptr;
    QMenu* mnu_OpenAs = nullptr;
    ZVCL::TZ_Grid* grd_RadioList = nullptr;
    QWidget* pnl_Properties = nullptr;
    QLabel* txt_FreqRanges = nullptr;
    QLabel* txt_Maskirator = nullptr;
    QLabel* txt_SN = nullptr;
    QLabel* lbl_UPR = nullptr;
    QWidget* pnl_Data = nullptr;
    QLabel* stspnl_Text = nullptr;
    QProgressBar* sts_Progress = nullptr;
    QLabel* stspnl_RName = nullptr;
    QTimer* tmr_ClearText = nullptr;
    QTimer* tmr_UPR_SN = nullptr;
};
