#include "U_ware.h"

#include <algorithm>

#include "U_exchange.h"

CRadioWare::CRadioWare(CRadio& radio, std::string description, std::string version)
    : radio_(radio), description_(std::move(description)), version_(std::move(version)) {}

CRadioWare::~CRadioWare() {
    FreeView();
    liveRWs_.clear();
    liveQualifiers_.clear();
    data_.reset();
}

int CRadioWare::LinkKinds() const {
    return PR_NET_IRDA;
}

IRadio* CRadioWare::GetRadio(int /*index*/) {
    return &radio_;
}

bool CRadioWare::Owns(const IRadio* radio) const {
    return radio == &radio_;
}

CRadioData& CRadioWare::EnsureData() {
    if (!radio_.ModelData()) data_ = NewData(radio_);
    return *radio_.ModelData();
}

void CRadioWare::DropData() {
    attached_ = nullptr;
    data_.reset();
}

bool CRadioWare::AttachData(IRadio* radio, RadioDataNotifier notifier, void* context) {
    if (!Owns(radio)) return false;
    // A set that was never read, opened or edited is dropped for a fresh one. One that a
    // recogniser has met a radio with holds the converter type found there, which the panel
    // shows after the read: it stays.
    if (attached_ && !attached_->IsModified() && attached_->OwnerRadio().FileName().empty() &&
        attached_->RadioConverterType() == -1)
        DropData();
    attached_ = &EnsureData();
    attached_->SetNotifier(notifier, context);
    UpdateView();
    return true;
}

QWidget* CRadioWare::GetView() {
    if (!view_ && viewFactory_) view_ = viewFactory_(*this);
    return view_ ? view_->Widget() : nullptr;
}

void CRadioWare::UpdateView() {
    if (view_) view_->Refresh();
}

void CRadioWare::FreeView() {
    view_.reset();
}

IRadioQualifier* CRadioWare::CreateQualifier(IRadio* radio) {
    if (!Owns(radio)) return nullptr;
    liveQualifiers_.push_back(NewQualifier(radio_));
    return liveQualifiers_.back().get();
}

void CRadioWare::ReleaseQualifier(IRadioQualifier* qualifier) {
    std::erase_if(liveQualifiers_, [qualifier](const auto& q) {
        return static_cast<IRadioQualifier*>(q.get()) == qualifier;
    });
}

IRadioRW* CRadioWare::CreateRW(IRadio* radio, void* link) {
    if (!Owns(radio) || !link) return nullptr;
    liveRWs_.push_back(NewRW(radio_, link));
    return liveRWs_.back().get();
}

void CRadioWare::ReleaseRW(IRadioRW* rw) {
    std::erase_if(liveRWs_, [rw](const auto& r) { return static_cast<IRadioRW*>(r.get()) == rw; });
}
