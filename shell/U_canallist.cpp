#include "U_canallist.h"

#include <filesystem>
#include <sstream>

#include "U_canalcsv.h"
#include "U_compare.h"
#include "U_dialogs.h"
#include "U_outfile.h"
#include "U_printlist.h"
#include "U_radioware.h"

namespace {

constexpr const char* kListFilter = "Список каналов (*.csv)|*.csv|Все файлы (*.*)|*.*";
// The window shows this many refused rows; the rest are counted.
constexpr std::size_t kShownIssues = 20;
// The comparison shows this many differences; the rest are counted.
constexpr std::size_t kShownDifferences = 40;

SFileDialogRequest Request(const char* title, const char* filter, const std::string& folder,
                           const char* extension = "") {
    return {.title = title, .filter = filter, .initialDir = folder, .defaultExtension = extension};
}

}  // namespace

void ImportCanalList(ICanalListHost& radios) {
    CRadioData* data = radios.EditableData();
    if (!data) return;
    const SFileDialogRequest request =
        Request("Импорт каналов", kListFilter, radios.OpenDialogFolder());
    const std::optional<std::string> file = radios.Dialogs().AskOpenFile(request);
    if (!file) return;
    std::string csv;
    if (const std::string problem = interchange::ReadInputFile(*file, csv); !problem.empty()) {
        radios.Dialogs().ShowError(radios.BaseCaption(), problem);
        return;
    }
    const interchange::SCanalImport plan = interchange::PlanCanalImport(*data, csv);
    if (plan.fileError.empty()) {
        interchange::ApplyCanalImport(*data, plan);
        data->OwnerRadio().Ware()->UpdateView();
        radios.Report(feedback::FileText(
            "Принято каналов: " + std::to_string(plan.canals.size()) + " из файла", *file));
    }
    const std::string report = interchange::ImportReport(plan, kShownIssues);
    if (!report.empty()) radios.Dialogs().ShowError(radios.BaseCaption(), report);
}

void ExportCanalList(ICanalListHost& radios) {
    CRadioData* data = radios.EditableData();
    if (!data) return;
    SFileDialogRequest request =
        Request("Экспорт каналов", kListFilter, radios.SaveDialogFolder(), "csv");
    const std::string paramFile = data->OwnerRadio().FileName();
    if (!paramFile.empty())
        request.fileName = std::filesystem::path(paramFile).replace_extension(".csv").filename();
    const std::optional<std::string> file = radios.Dialogs().AskSaveFile(request);
    if (!file) return;
    const std::string problem =
        interchange::WriteOutputFile(*file, interchange::ExportCanals(*data));
    if (!problem.empty())
        radios.Dialogs().ShowError(radios.BaseCaption(), problem);
    else
        radios.Report(feedback::FileText("Каналы записаны в файл", *file));
}

void CompareWithRadio(ICanalListHost& radios) {
    CRadioData* data = radios.EditableData();
    if (!data) return;
    const std::string before = radios.ParametersBeforeRead();
    if (before.empty()) {
        radios.Dialogs().ShowError(radios.BaseCaption(),
                                   "Сначала прочитайте параметры из радиостанции");
        return;
    }
    // What the window held on the left, the radio on the right.
    const std::optional<interchange::SShownSet> earlier =
        interchange::ShownSetOfBody(*data, before);
    if (!earlier) return;
    const std::string file = radios.FileBeforeRead();
    const interchange::SComparison comparison{
        file.empty() ? "До чтения" : "Файл " + std::filesystem::path(file).filename().string(),
        "Радиостанция", interchange::CompareShown(*earlier, interchange::ShownSetOf(*data))};
    radios.Dialogs().ShowInformation("Сравнить с радиостанцией",
                                     interchange::DifferencesHtml(comparison, kShownDifferences));
}

void PrintCanalListTo(ICanalListHost& radios) {
    CRadioData* data = radios.EditableData();
    if (!data) return;
    const SFileDialogRequest request = Request(
        "Печать списка каналов", "Документ PDF (*.pdf)|*.pdf", radios.SaveDialogFolder(), "pdf");
    const std::optional<std::string> file = radios.Dialogs().AskSaveFile(request);
    if (!file) return;
    if (const std::string problem = interchange::PrintCanalList(data->OwnerRadio(), *file);
        !problem.empty()) {
        radios.Dialogs().ShowError(radios.BaseCaption(), problem);
        return;
    }
    radios.Report(feedback::FileText("Список каналов для печати записан в файл", *file));
    if (!radios.Dialogs().OpenDocument(*file))
        radios.Dialogs().ShowInformation(radios.BaseCaption(), feedback::NoViewerText(*file));
}
