// Whole-channel editing in a channel table: copy, cut and paste through the clipboard, insert,
// delete, move, clear and fill, by keys and by the grid's context menu. What an operation could
// not do goes to the window's status line.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

#include "U_channelops.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QMenu;
class QMimeData;

namespace views {

class TCanalGrid;

// The clipboard type of copied channels: the model identifier on the first line, then the
// channels' tab-separated lines.
inline constexpr const char* kCanalMimeType = "application/x-tessel-canals";

// "Заполнить каналы…": start frequency, step and, when asked for, the tones of every channel.
class TFillDialog : public QDialog {
  public:
    TFillDialog(const QStringList& tones, QWidget* parent = nullptr);
    void SetStart(int hz);
    // The values typed: false when the start or the step does not read as a number.
    bool Values(int& startHz, int& stepHz, std::optional<std::pair<QString, QString>>& tones) const;

  private:
    QLineEdit* edt_Start;
    QLineEdit* edt_Step;
    QCheckBox* chk_Tones;
    QComboBox* stc_RxTone;
    QComboBox* stc_TxTone;
};

class TCanalEditing {
  public:
    // access reaches the model's channels; model names the copy for the clipboard; refresh
    // refills the view after an operation.
    TCanalEditing(TCanalGrid& grid, std::unique_ptr<ICanalAccess> access, QString model,
                  std::function<void()> refresh);
    TCanalEditing(const TCanalEditing&) = delete;
    TCanalEditing& operator=(const TCanalEditing&) = delete;
    ~TCanalEditing();

    void Copy();
    void Cut();
    void Paste();
    void InsertCanal();
    void DeleteCanals();
    void Move(int direction);
    void Clear();
    void Fill();

    // Asks before a working channel is pushed off the end; tests answer it.
    std::function<bool(const QString& question)> confirm;
    // Runs the fill dialog; tests fill it in and accept it.
    std::function<bool(TFillDialog& dialog)> runFill;

    ICanalAccess& Access() const { return *access_; }
    QMenu& ContextMenu() const { return *menu_; }

  private:
    bool Key(int key, Qt::KeyboardModifiers shift);
    bool Usable() const;
    void Done(const SEditReport& report = {});

    TCanalGrid& grid_;
    std::unique_ptr<ICanalAccess> access_;
    QString model_;
    std::function<void()> refresh_;
    std::unique_ptr<QMenu> menu_;
};

}  // namespace views
