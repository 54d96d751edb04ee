#include "U_cli.h"

#include <algorithm>

#include "U_textform.h"

namespace cli {

CArgs::CArgs(std::span<const std::string> words, std::span<const std::string_view> options,
             std::span<const std::string_view> flags) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word.size() < 2 || word[0] != '-') {
            positional_.push_back(word);
            continue;
        }
        if (std::ranges::find(flags, word) != flags.end()) {
            flags_.insert(word);
            continue;
        }
        bool known = false;
        for (const std::string_view option : options) known = known || option == word;
        if (!known) throw CUsageError("unknown option " + word);
        if (i + 1 >= words.size()) throw CUsageError("option " + word + " needs a value");
        options_.emplace(word, words[++i]);
    }
}

std::optional<std::string> CArgs::Option(std::string_view name) const {
    const auto [first, last] = options_.equal_range(name);
    if (first == last) return std::nullopt;
    if (std::next(first) != last) throw CUsageError("option " + std::string(name) + " given twice");
    return first->second;
}

std::vector<std::string> CArgs::All(std::string_view name) const {
    std::vector<std::string> values;
    const auto [first, last] = options_.equal_range(name);
    for (auto it = first; it != last; ++it) values.push_back(it->second);
    return values;
}

std::string CArgs::Required(std::string_view name) const {
    const std::optional<std::string> value = Option(name);
    if (!value) throw CUsageError("option " + std::string(name) + " is required");
    return *value;
}

void CArgs::ExpectPositional(std::size_t count) const {
    if (positional_.size() != count) throw CUsageError("wrong number of arguments");
}

CContext::CContext() : radios_(RadioList(modules_)) {}

int CContext::RadioIndex(std::string_view model) const {
    for (std::size_t i = 0; i < radios_.size(); ++i) {
        if (textform::SameText(radios_[i]->Ware()->Description(), model) ||
            textform::SameText(radios_[i]->Name(), model))
            return static_cast<int>(i);
    }
    throw CUsageError("unknown model " + std::string(model));
}

IRadioData& CContext::Attach(int index) {
    IRadio* radio = radios_.at(static_cast<std::size_t>(index));
    radio->Ware()->AttachData(radio, nullptr, nullptr);
    return *radio->Data();
}

namespace {

// The tool opens without windows: selecting attaches, and nothing is asked.
class COpenHost final : public paramfile::IOpenHost {
  public:
    explicit COpenHost(CContext& context) : context_(context) {}
    void Select(int index) override { context_.Attach(index); }
    bool QuerySaveChanges(const std::string&) override { return true; }

  private:
    CContext& context_;
};

}  // namespace

int CContext::Open(const std::filesystem::path& file, int target) {
    COpenHost host(*this);
    int current = -1;
    if (paramfile::OpenParameterFile(file, target, radios_, host, current) !=
            paramfile::EOpenResult::Loaded ||
        current < 0)
        throw CFailure(paramfile::kMsgNoRadio);  // no plug-in at all
    return current;
}

}  // namespace cli
