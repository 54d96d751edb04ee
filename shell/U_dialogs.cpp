#include "U_dialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>
#include <QUrl>

#include "F_about.h"
#include "F_radiochoice.h"
#include "F_upr.h"

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QStringList Descriptions(const std::string& filter) {
    const QStringList parts = Q(filter).split(QLatin1Char('|'));
    QStringList descriptions;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        if (description.isEmpty()) continue;
        description.replace(QStringLiteral("(*.*)"), QStringLiteral("(*)"));
        descriptions << description;
    }
    return descriptions;
}

std::optional<std::string> RunFileDialog(QWidget* parent, const SFileDialogRequest& request,
                                         QFileDialog::AcceptMode mode) {
    TFileDialog dialog(parent, request);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
    const QStringList filters = Descriptions(request.filter);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters[request.filterIndex - 1]);
    if (!request.defaultExtension.empty()) dialog.setDefaultSuffix(Q(request.defaultExtension));
    if (!request.fileName.empty()) dialog.selectFile(Q(request.fileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst().toStdString();
}

}  // namespace

TFileDialog::TFileDialog(QWidget* parent, const SFileDialogRequest& request)
    : QFileDialog(parent, Q(request.title), Q(request.initialDir)),
      refusal_(request.refusal),
      refusalTitle_(request.refusalTitle) {
    // The check needs the program's own dialog: a desktop's dialog would confirm on its own.
    if (refusal_) setOption(QFileDialog::DontUseNativeDialog);
}

void TFileDialog::accept() {
    if (refusal_ && acceptMode() == QFileDialog::AcceptSave && !selectedFiles().isEmpty()) {
        const std::string refused = refusal_(selectedFiles().constFirst().toStdString());
        if (!refused.empty()) {
            QMessageBox::critical(this, Q(refusalTitle_), Q(refused), QMessageBox::Ok);
            return;
        }
    }
    QFileDialog::accept();
}

namespace feedback {

std::string NoViewerText(const std::string& path) {
    return "Не удалось открыть файл: на компьютере не найдена программа для его просмотра.\n"
           "Файл: " +
           path;
}

std::string FileText(const std::string& what, const std::string& path) {
    return what + " «" + path + "»";
}

std::string WithAllParameterFiles(const std::string& filter) {
    const QStringList parts = Q(filter).split(QLatin1Char('|'));
    QStringList patterns;
    for (qsizetype i = 1; i < parts.size(); i += 2)
        if (parts[i] != QStringLiteral("*.*") && !parts[i].isEmpty()) patterns << parts[i];
    if (patterns.isEmpty()) return filter;
    const QString all = QStringLiteral("Все файлы с параметрами (") +
                        patterns.join(QLatin1Char(' ')) + QStringLiteral(")|") +
                        patterns.join(QLatin1Char(';'));
    return (all + QLatin1Char('|') + Q(filter)).toStdString();
}

}  // namespace feedback

std::string QtNameFilters(const std::string& filter) {
    return Descriptions(filter).join(QStringLiteral(";;")).toStdString();
}

void CQtUserDialogs::ShowError(const std::string& title, const std::string& text) {
    QMessageBox::critical(parent_, Q(title), Q(text), QMessageBox::Ok);
}

void CQtUserDialogs::ShowInformation(const std::string& title, const std::string& text) {
    QMessageBox::information(parent_, Q(title), Q(text), QMessageBox::Ok);
}

EAnswer CQtUserDialogs::AskYesNoCancel(const std::string& title, const std::string& question) {
    const auto answer = QMessageBox::question(
        parent_, Q(title), Q(question), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Yes) return EAnswer::Yes;
    if (answer == QMessageBox::No) return EAnswer::No;
    return EAnswer::Cancel;
}

std::optional<std::string> CQtUserDialogs::AskOpenFile(const SFileDialogRequest& request) {
    return RunFileDialog(parent_, request, QFileDialog::AcceptOpen);
}

std::optional<std::string> CQtUserDialogs::AskSaveFile(const SFileDialogRequest& request) {
    return RunFileDialog(parent_, request, QFileDialog::AcceptSave);
}

std::optional<int> CQtUserDialogs::RunConverterDialog(Tfrm_UPR& dialog, int code) {
    return dialog.Execute(code);
}

void CQtUserDialogs::RunAboutBox(Tfrm_About& about) {
    about.exec();
}

bool CQtUserDialogs::OpenDocument(const std::string& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(Q(path)));
}

std::optional<std::size_t> CQtUserDialogs::ChooseRadio(
    const std::string& name, const std::vector<std::string>& serialNumbers,
    std::size_t preselected) {
    Tfrm_RadioChoice dialog(parent_);
    return dialog.Execute(name, serialNumbers, preselected);
}
