// Whole-channel editing in a channel table: copy, cut and paste through the clipboard, insert,
// delete, move, clear and fill, by keys and by the grid's context menu. What an operation could
// not do goes to the window's status line, and each operation names the step the window's
// history keeps for it ("удаление каналов 03–05").
#pragma once

#include <QDialog>
#include <QMenu>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <set>

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
    void SelectAll();

    // Asks before a working channel is pushed off the end; tests answer it.
    std::function<bool(const QString& question)> confirm;
    // Runs the fill dialog; tests fill it in and accept it.
    std::function<bool(TFillDialog& dialog)> runFill;

    ICanalAccess& Access() const { return *access_; }
    QMenu& ContextMenu() const { return *menu_; }

  private:
    // The operation a key stands for, or none.
    std::function<void()> CommandOf(int key, Qt::KeyboardModifiers shift);
    bool Key(int key, Qt::KeyboardModifiers shift);
    // Whether the table can be worked on; when not, the status line says why.
    bool Usable() const;
    // Closes an open cell editor (storing it) and names the step the operation makes.
    void Begin(const QString& stepName);
    void Done(const SEditReport& report = {});
    // Empties the channels as one step of that name (the channels follow it).
    void ClearCanals(const QString& stepName, const std::set<int>& canals);

    TCanalGrid& grid_;
    std::unique_ptr<ICanalAccess> access_;
    QString model_;
    std::function<void()> refresh_;
    QPointer<QMenu> menu_;  // a child of the grid, which may go first
};

}  // namespace views
