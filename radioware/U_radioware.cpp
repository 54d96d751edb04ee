#include "U_radioware.h"

#include <exception>
#include <istream>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <utility>

CRadio::CRadio(std::string code, std::string name, int minFrequency, int maxFrequency,
               std::string fileExtension)
    : code_(std::move(code)),
      name_(std::move(name)),
      minFrequency_(minFrequency),
      maxFrequency_(maxFrequency),
      fileExtension_(std::move(fileExtension)) {}

IRadioData* CRadio::Data() const {
    return data_;
}

CRadioData::CRadioData(CRadio& radio) : radio_(radio) {
    radio_.data_ = this;
}

CRadioData* OwnRadioData(IRadioData* data) {
    return dynamic_cast<CRadioData*>(data);
}

CRadioData& RequireOwnRadioData(IRadioData* data) {
    if (CRadioData* own = OwnRadioData(data)) return *own;
    throw std::runtime_error("Модуль радиостанции не поддерживает эту операцию");
}

CRadioData::~CRadioData() {
    if (radio_.data_ == this) radio_.data_ = nullptr;
}

void CRadioData::SetModified() {
    if (readingBody_) return;
    modified_ = true;
    Notify();
}

void CRadioData::SetNotifier(RadioDataNotifier notifier, void* context) {
    notifier_ = notifier;
    notifierContext_ = context;
}

void CRadioData::Notify() {
    if (notifier_) notifier_(notifierContext_, this);
}

void CRadioData::Reset() {
    SetDefaults();
    modified_ = false;
    Notify();
}

bool CRadioData::Load(std::istream& in, bool modified) {
    bool ok = false;
    {
        // Setters run while the body is read; the flag is decided once, below.
        struct BodyGuard {
            bool& flag;
            explicit BodyGuard(bool& f) : flag(f) { flag = true; }
            ~BodyGuard() { flag = false; }
        } guard(readingBody_);
        try {
            ok = ReadText(in);
        } catch (const std::exception&) {
            ok =
                false;  // nothing may cross the plug-in boundary; the reader left the set as it was
        }
    }
    if (!ok) return false;
    modified_ = modified;
    Notify();
    return true;
}

std::function<void()> CRadioData::Keeper() {
    // A model without a keeper of its own comes back through its text form.
    std::ostringstream body;
    WriteText(body);
    return [this, text = body.str()] {
        std::istringstream in(text);
        const bool wasReading = std::exchange(readingBody_, true);
        ReadText(in);
        readingBody_ = wasReading;
    };
}

bool CRadioData::Save(std::ostream& out) {
    if (!WriteText(out)) return false;
    MarkSaved();
    return true;
}

void CRadioData::TakeImageOnlyFields(std::span<const std::uint8_t> /*image*/) {}

std::vector<SShownValue> CRadioData::ShownSettings() {
    return {};
}

std::vector<SShownValue> CRadioData::ShownCanal(int /*index*/) {
    return {};
}

bool CRadioData::WithBody(const std::string& body, const std::function<void()>& look) {
    const std::function<void()> putBack = Keeper();
    const bool wasReading = std::exchange(readingBody_, true);
    bool ok = false;
    try {
        std::istringstream in(body);
        ok = ReadText(in);
        if (ok) look();
    } catch (const std::exception&) {
        ok = false;
    }
    putBack();
    readingBody_ = wasReading;
    return ok;
}

void CRadioData::MarkSaved() {
    modified_ = false;
    Notify();
}
