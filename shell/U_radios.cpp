#include "U_radios.h"
#include "U_recentfiles.h"

#include <sstream>

#include <QLayout>
#include <QThread>
#include <QWidget>

#include <system_error>

#include "U_shelltext.h"
#include "U_workers.h"

namespace fs = std::filesystem;

namespace {

// Where each file dialog was last used, kept from one run to the next.
constexpr std::string_view kOpenFolderKey = "Folders/Open";
constexpr std::string_view kSaveFolderKey = "Folders/Save";
// The infrared adapter the user chose in the window.
constexpr std::string_view kIrdaAdapterKey = "Links/IrdaAdapter";

}  // namespace

CRadios::CRadios(const CModules& modules, IUserDialogs& dialogs, CLinkPorts& ports,
                 fs::path programDir)
    : dialogs_(dialogs),
      ports_(ports),
      programDir_(std::move(programDir)),
      radios_(RadioList(modules)),
      baseCaption_(shelltext::kBaseCaption) {
    entries_.reserve(radios_.size());
    for (IRadio* radio : radios_) entries_.push_back(SRadio{radio->Name(), radio, false});
    filter_ = shelltext::FileTypeFilter(radios_);
    ports_.ChooseIrdaPlatform(IrdaAdapter());
}

std::string CRadios::IrdaAdapter() const {
    return settings_.Text(kIrdaAdapterKey);
}

bool CRadios::ChooseIrdaAdapter(const std::string& setting) {
    if (TransferRunning()) return false;
    settings_.SetText(kIrdaAdapterKey, setting);
    ports_.ChooseIrdaPlatform(setting);
    return true;
}

CRadios::~CRadios() {
    workers_.WaitAll();
    // The modules outlive the list: no parameter set may call back into it afterwards.
    // Attaching without a notifier is the only way the contract offers to take it back.
    for (IRadio* radio : radios_)
        if (radio->Data()) radio->Ware()->AttachData(radio, nullptr, nullptr);
}

void CRadios::AttachWindow(IShellWindow* window, std::string baseCaption) {
    window_ = window;
    baseCaption_ = std::move(baseCaption);
}

const SRadio* CRadios::CurrentEntry() const {
    return current_ < 0 ? nullptr : &entries_[static_cast<std::size_t>(current_)];
}

IRadio* CRadios::CurrentRadio() const {
    const SRadio* entry = CurrentEntry();
    return entry ? entry->radio : nullptr;
}

CRadioData* CRadios::EditableData() {
    IRadio* radio = CurrentRadio();
    return radio && !workers_.Busy() ? OwnRadioData(radio->Data()) : nullptr;
}

// ---- selection ----------------------------------------------------------------------------

void CRadios::Attach(IRadio* radio) {
    radio->Ware()->AttachData(radio, &CRadios::Notifier, this);
}

void CRadios::ShowView(IRadioWare* ware) {
    QWidget* view = ware->GetView();
    if (!view) return;  // a module whose view is not there yet still edits through files
    QWidget* panel = window_->DataPanel();
    if (view->parentWidget() != panel) {
        view->setParent(panel);
        if (panel->layout()) panel->layout()->addWidget(view);
    }
    view->show();
}

void CRadios::Select(int index) {
    if (index < 0 || index >= Count() || index == current_) return;
    SRadio& entry = entries_[static_cast<std::size_t>(index)];
    IRadioWare* ware = entry.radio->Ware();
    if (current_ == -1) {
        Attach(entry.radio);
        ShowView(ware);
        Attach(entry.radio);
    } else {
        IRadioWare* previous = entries_[static_cast<std::size_t>(current_)].radio->Ware();
        Attach(entry.radio);
        if (ware != previous) {
            QWidget* view = ware->GetView();
            const bool placed = view && view->parentWidget() == window_->DataPanel();
            ShowView(ware);
            // A view placed for the first time is attached once more, now that it exists.
            if (view && !placed) Attach(entry.radio);
            if (QWidget* old = previous->GetView()) old->hide();
        }
    }
    current_ = index;
    histories_.Track(entry.radio);
    if (IRadioData* data = entry.radio->Data()) entry.modified = data->IsModified();
    window_->UpdateState();
    window_->SetRadioNameText(shelltext::RadioNameText(entry.name));
}

void CRadios::SelectCommand(int index) {
    if (!workers_.Busy()) Select(index);
}

void CRadios::Notifier(void* context, IRadioData* data) {
    auto* self = static_cast<CRadios*>(context);
    if (QThread::currentThread() == self->thread()) {
        self->OnDataChanged(data);
        return;
    }
    // Raised on a worker (decoding a read image): the list is the UI thread's. Queued, not
    // blocking: the UI thread may itself be waiting for this worker to end.
    QMetaObject::invokeMethod(
        self, [self, data] { self->OnDataChanged(data); }, Qt::QueuedConnection);
}

void CRadios::OnDataChanged(IRadioData* data) {
    if (current_ == -1 || !data) return;
    // Any listed set keeps its marker right, not only the current one: a read that ends after
    // the user moved to another radio still clears or sets its " *".
    for (SRadio& entry : entries_) {
        if (entry.radio->Data() != data) continue;
        // The view is off while a transfer runs: a change then is the read itself.
        const bool read = actionName_.empty() && reading_ && workers_.Busy();
        histories_.Changed(entry.radio, read ? undotext::kStepRead : actionName_);
        const bool modified = data->IsModified();
        if (modified == entry.modified) return;
        entry.modified = modified;
        window_->UpdateState();
        return;
    }
}

// ---- file commands ------------------------------------------------------------------------

void CRadios::ShowError(const std::string& text) {
    dialogs_.ShowError(baseCaption_, text);
}

std::string CRadios::InitialFolder(std::string& folder, std::string_view key) const {
    if (!folder.empty()) return folder;
    // The folder of an earlier run first, then "Параметры" beside the program; never the
    // program's own folder, which an installed program cannot write into.
    std::error_code error;
    const std::string remembered = settings_.Text(key);
    const fs::path params = programDir_ / shelltext::kParamsFolder;
    if (!remembered.empty() && fs::is_directory(remembered, error))
        folder = remembered;
    else if (fs::is_directory(params, error))
        folder = params.string();
    else
        folder = UserDocumentsFolder();
    return folder;
}

void CRadios::RememberFolder(std::string& folder, std::string_view key, const std::string& file) {
    folder = fs::path(file).parent_path().string();
    settings_.SetText(key, folder);
}

bool CRadios::IsOpeningFile(const std::string& file, const std::string& openingFile) const {
    if (openingFile.empty() || file.empty()) return false;
    if (file == openingFile) return true;
    // The same file reached by another path (relative, through a link, with "..") is still
    // the file being opened: writing into it would replace what is about to be read.
    std::error_code e1, e2;
    const fs::path a = fs::weakly_canonical(fs::absolute(file), e1);
    const fs::path b = fs::weakly_canonical(fs::absolute(openingFile), e2);
    return !e1 && !e2 && a == b;
}

void CRadios::NewCommand() {
    if (current_ == -1 || workers_.Busy()) return;
    if (!QuerySaveChanges("")) return;
    NewParams();
}

void CRadios::NewParams() {
    if (current_ == -1) return;
    IRadio* radio = entries_[static_cast<std::size_t>(current_)].radio;
    radio->SetFileName("");
    radio->SetConverterType(-1);
    actionName_ = undotext::kStepNew;
    if (IRadioData* data = radio->Data()) data->Reset();
    actionName_.clear();
    window_->UpdateState();
    radio->Ware()->UpdateView();
}

void CRadios::OpenParams() {
    if (current_ == -1 || workers_.Busy()) return;
    OpenWith(shelltext::kOpenTitle, paramfile::kTargetFromFile);
}

void CRadios::OpenParamsAs(int index) {
    if (index < 0 || index >= Count() || workers_.Busy()) return;
    OpenWith(shelltext::OpenAsTitle(Get(index).name), index);
}

void CRadios::OpenWith(const std::string& title, int target) {
    SFileDialogRequest request;
    request.title = title;
    request.filter = feedback::WithAllParameterFiles(filter_);
    request.filterIndex = 1;  // all parameter files
    request.initialDir = InitialFolder(openDir_, kOpenFolderKey);
    const std::optional<std::string> file = dialogs_.AskOpenFile(request);
    if (!file) return;
    RememberFolder(openDir_, kOpenFolderKey, *file);
    OpenReporting(*file, target);
}

bool CRadios::OpenReporting(const std::string& fileName, int target) {
    try {
        OpenFile(fileName, target);
        return true;
    } catch (const paramfile::CFileError& error) {
        ShowError(error.what());
    } catch (const std::exception&) {
        ShowError(paramfile::kMsgReadError);
    }
    return false;
}

void CRadios::OpenFiles(const std::vector<std::string>& fileNames) {
    if (current_ == -1) return;
    // Each file goes to the radio it names, as Open does; a failure does not stop the rest.
    for (const std::string& file : fileNames) OpenReporting(file, paramfile::kTargetFromFile);
}

void CRadios::OpenRecent(const std::string& fileName) {
    if (current_ == -1) return;
    try {
        OpenFile(fileName, paramfile::kTargetFromFile);
    } catch (const paramfile::CFileError& error) {
        ShowError(error.what());
    } catch (const std::exception&) {
        ShowError(paramfile::kMsgReadError);
    }
}

void CRadios::OpenFile(const std::string& fileName, int target) {
    if (entries_.empty()) return;
    int loaded = current_;  // the loader selects through Select, which moves current_
    // A rejected file throws: the name must not outlive the attempt.
    struct SNaming {
        std::string& name;
        ~SNaming() { name.clear(); }
    } naming{actionName_ = undotext::kStepOpen};
    const paramfile::EOpenResult result =
        paramfile::OpenParameterFile(fileName, target, radios_, *this, loaded);
    if (result == paramfile::EOpenResult::Cancelled) return;
    CRecentFiles().Add(fileName);
    window_->UpdateState();
    radios_[static_cast<std::size_t>(current_)]->Ware()->UpdateView();
    Report(feedback::FileText("Открыт файл", fileName));
}

void CRadios::Report(const std::string& text) {
    window_->SetClearTimer(false);
    window_->ShowStatus(text);
    window_->SetClearTimer(true);
}

bool CRadios::QuerySaveChanges(const std::string& openingFile) {
    if (current_ == -1) return true;
    const SRadio& entry = entries_[static_cast<std::size_t>(current_)];
    if (!entry.modified) return true;
    const std::string question =
        shelltext::SaveChangesQuestion(entry.name, entry.radio->FileName());
    switch (dialogs_.AskYesNoCancel(baseCaption_, question)) {
        case EAnswer::Cancel:
            return false;
        case EAnswer::No:
            return true;
        case EAnswer::Yes:
            break;
    }
    return SaveParams(false, openingFile);
}

bool CRadios::QuerySaveAll() {
    for (int i = 0; i < Count(); ++i) {
        SRadio& entry = entries_[static_cast<std::size_t>(i)];
        if (const IRadioData* data = entry.radio->Data()) entry.modified = data->IsModified();
        if (!entry.modified) continue;
        // The set in question is shown while its question is asked, and a Yes saves it.
        Select(i);
        if (!QuerySaveChanges("")) return false;
    }
    return true;
}

bool CRadios::SaveParams(bool saveAs, const std::string& openingFile) {
    if (current_ == -1) return true;
    IRadio* radio = entries_[static_cast<std::size_t>(current_)].radio;
    std::string file = radio->FileName();
    if (saveAs || file.empty() || IsOpeningFile(file, openingFile)) {
        SFileDialogRequest request;
        request.title = shelltext::kSaveTitle;
        request.filter = filter_;
        request.filterIndex = current_ + 1;  // this radio's own file type
        request.defaultExtension = radio->FileExtension();
        request.fileName = file;
        request.initialDir = InitialFolder(saveDir_, kSaveFolderKey);
        // The dialog refuses the file being opened before it asks to replace an existing file,
        // so the user meets one question, not a "replace?" followed by a refusal.
        request.refusalTitle = baseCaption_;
        request.refusal = [this, openingFile](const std::string& chosen) {
            return IsOpeningFile(chosen, openingFile) ? std::string(paramfile::kMsgSaveIntoOpening)
                                                      : std::string();
        };
        for (;;) {
            const std::optional<std::string> chosen = dialogs_.AskSaveFile(request);
            if (!chosen) return false;
            file = *chosen;
            RememberFolder(saveDir_, kSaveFolderKey, file);
            if (!IsOpeningFile(file, openingFile)) break;
            ShowError(paramfile::kMsgSaveIntoOpening);
            request.fileName = file;
            request.initialDir = saveDir_;
        }
    }
    try {
        SaveFile(file);
    } catch (const std::exception&) {
        ShowError(paramfile::kMsgSaveError);
        return false;
    }
    return true;
}

void CRadios::SaveFile(const std::string& fileName) {
    if (current_ == -1) return;
    paramfile::SaveParameterFile(fileName, *entries_[static_cast<std::size_t>(current_)].radio);
    CRecentFiles().Add(fileName);
    window_->UpdateState();
    Report(feedback::FileText("Параметры сохранены в файле", fileName));
}

// ---- edit history -------------------------------------------------------------------------

CUndoHistory* CRadios::CurrentHistory() {
    return current_ == -1 ? nullptr
                          : histories_.Of(entries_[static_cast<std::size_t>(current_)].radio);
}

void CRadios::UndoCommand() {
    if (current_ == -1 || workers_.Busy()) return;
    histories_.Undo(entries_[static_cast<std::size_t>(current_)].radio);
}

void CRadios::RedoCommand() {
    if (current_ == -1 || workers_.Busy()) return;
    histories_.Redo(entries_[static_cast<std::size_t>(current_)].radio);
}

// ---- radio commands -----------------------------------------------------------------------

void CRadios::StartRead() {
    if (current_ == -1 || workers_.Busy()) return;
    IRadio* radio = entries_[static_cast<std::size_t>(current_)].radio;
    if (CRadioData* data = OwnRadioData(radio->Data())) {
        std::ostringstream body;
        data->WriteText(body);
        readRadio_ = current_;
        beforeRead_ = body.str();
        fileBeforeRead_ = radio->FileName();
    }
    reading_ = true;
    TFind4RWThread::Launch(*this, radio, true);
}

std::string CRadios::ParametersBeforeRead() const {
    return readRadio_ == current_ ? beforeRead_ : std::string();
}

std::string CRadios::FileBeforeRead() const {
    return readRadio_ == current_ ? fileBeforeRead_ : std::string();
}

void CRadios::StartWrite() {
    if (current_ == -1 || workers_.Busy()) return;
    IRadio* radio = entries_[static_cast<std::size_t>(current_)].radio;
    IRadioData* data = radio->Data();
    if (!data) return;
    std::string message;
    const bool valid = data->Validate(message);
    // The check may put the model's own ranges back without a notification: the panel follows.
    window_->UpdateState();
    if (valid) {
        reading_ = false;
        TFind4RWThread::Launch(*this, radio, false);
        return;
    }
    window_->SetClearTimer(false);
    window_->ShowStatus(message);
    window_->SetClearTimer(true);
}

void CRadios::ReleaseViews() {
    if (!window_) return;
    QWidget* panel = window_->DataPanel();
    if (!panel) return;
    for (QWidget* view : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        view->setParent(nullptr);
}

std::string CRadios::LastSerial(const IRadio* radio) const {
    const auto last = lastSerials_.find(radio);
    return last == lastSerials_.end() ? std::string() : last->second;
}

void CRadios::RememberSerial(const IRadio* radio, const std::string& serialNumber) {
    lastSerials_[radio] = serialNumber;
}
