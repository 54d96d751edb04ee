#pragma once
// Every question, message box and file dialog of the window goes through IUserDialogs, so the
// workflow can be driven without a person: CQtUserDialogs asks the user, the tests script the
// answers.

#include <QFileDialog>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QWidget;
class Tfrm_UPR;
class Tfrm_About;

// A file dialog as the workflow prepares it. The filter is in the form
// "description|pattern|description|pattern"; filterIndex counts its pairs from 1.
struct SFileDialogRequest {
    std::string title;
    std::string filter;
    int filterIndex = 1;
    std::string initialDir;
    std::string fileName{};
    std::string defaultExtension;  // save dialog only, without the dot
    // Save dialog only: the text of the program's refusal of a chosen file (empty to accept
    // it), checked when the user confirms and before the dialog asks to replace the file; the
    // refusal is shown in an error box titled refusalTitle and the dialog stays open.
    std::function<std::string(const std::string& file)> refusal{};
    std::string refusalTitle{};
};

enum class EAnswer { Yes, No, Cancel };

class IUserDialogs {
  public:
    virtual void ShowError(const std::string& title, const std::string& text) = 0;
    // A message that reports rather than warns; shown as an error where nothing better exists.
    virtual void ShowInformation(const std::string& title, const std::string& text) {
        ShowError(title, text);
    }
    virtual EAnswer AskYesNoCancel(const std::string& title, const std::string& question) = 0;
    // The chosen file, or nothing when the user cancels.
    virtual std::optional<std::string> AskOpenFile(const SFileDialogRequest& request) = 0;
    // Asks before overwriting an existing file; the folder must exist.
    virtual std::optional<std::string> AskSaveFile(const SFileDialogRequest& request) = 0;
    // The converter dialog, already placed, opened with code; the accepted code or nothing.
    virtual std::optional<int> RunConverterDialog(Tfrm_UPR& dialog, int code) = 0;
    virtual void RunAboutBox(Tfrm_About& about) = 0;
    // Several radios of the model named name in range: the index of the one chosen among
    // serialNumbers (preselected marked first), or nothing when the user cancels. A host that
    // cannot ask takes the preselected radio.
    virtual std::optional<std::size_t> ChooseRadio(const std::string& name,
                                                   const std::vector<std::string>& serialNumbers,
                                                   std::size_t preselected) {
        (void)name;
        (void)serialNumbers;
        return preselected;
    }
    // Hands a document to the desktop's viewer; false when nothing took it.
    virtual bool OpenDocument(const std::string& path) = 0;

  protected:
    ~IUserDialogs() = default;
};

// The real dialogs, shown modally over parent.
class CQtUserDialogs final : public IUserDialogs {
  public:
    explicit CQtUserDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }

    void ShowError(const std::string& title, const std::string& text) override;
    void ShowInformation(const std::string& title, const std::string& text) override;
    EAnswer AskYesNoCancel(const std::string& title, const std::string& question) override;
    std::optional<std::string> AskOpenFile(const SFileDialogRequest& request) override;
    std::optional<std::string> AskSaveFile(const SFileDialogRequest& request) override;
    std::optional<int> RunConverterDialog(Tfrm_UPR& dialog, int code) override;
    void RunAboutBox(Tfrm_About& about) override;
    std::optional<std::size_t> ChooseRadio(const std::string& name,
                                           const std::vector<std::string>& serialNumbers,
                                           std::size_t preselected) override;
    bool OpenDocument(const std::string& path) override;

  private:
    QWidget* parent_;
};

// What the window tells of its work with files, on the status line and in the message log.
namespace feedback {
// A document that no viewer on this desktop would take: where it is, so the user can open it.
std::string NoViewerText(const std::string& path);
// "Параметры сохранены в файле «path»" and the like: what happened, then the file.
std::string FileText(const std::string& what, const std::string& path);
// The open dialog's filter: all parameter files first ("Все файлы с параметрами (*.ald *.brc)"),
// then the filter's own pairs.
std::string WithAllParameterFiles(const std::string& filter);
}  // namespace feedback

// The name filters of a file dialog from the "description|pattern" form: the descriptions,
// which carry their patterns in brackets. "*.*" becomes "*": on this system a file name need
// not have an extension, and "*.*" would hide those that have none.
std::string QtNameFilters(const std::string& filter);

// The file dialog of CQtUserDialogs: a save dialog checks the program's refusal first.
class TFileDialog : public QFileDialog {
  public:
    TFileDialog(QWidget* parent, const SFileDialogRequest& request);
    void accept() override;

  private:
    std::function<std::string(const std::string&)> refusal_;
    std::string refusalTitle_;
};
