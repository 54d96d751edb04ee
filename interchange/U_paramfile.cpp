#include "U_paramfile.h"

#include <sstream>

#include "U_fileio.h"

namespace fs = std::filesystem;

namespace paramfile {

namespace {

// A header field is text up to its first zero byte.
std::string FieldText(const char* bytes, std::size_t size) {
    std::string text(bytes, size);
    if (const std::size_t zero = text.find('\0'); zero != std::string::npos) text.resize(zero);
    return text;
}

std::string Padded(std::string text, std::size_t size) {
    text.resize(size, '\0');
    return text;
}

bool MatchesRadio(IRadio& radio, const std::string& identifier, const std::string& variant) {
    return radio.Ware()->Description().substr(0, kIdentifierSize) == identifier &&
           radio.Code() == variant;
}

void LoadBody(std::string_view body, IRadio& radio, bool modified) {
    std::istringstream in{std::string(body), std::ios::binary};
    IRadioData* data = radio.Data();
    if (!data || !data->Load(in, modified)) throw CFileError(kMsgBadFormat);
}

}  // namespace

std::string ContainerHeader(IRadio& radio) {
    return std::string(kSignature) +
           Padded(radio.Ware()->Description().substr(0, kIdentifierSize), kIdentifierSize) +
           Padded(radio.Code().substr(0, kVariantSize), kVariantSize);
}

EOpenResult OpenParameterFile(const fs::path& file, int target, std::span<IRadio* const> radios,
                              IOpenHost& host, int& current) {
    if (radios.empty()) return EOpenResult::Cancelled;
    std::string bytes;
    switch (fileio::ReadWholeFile(file, bytes)) {
        case fileio::EReadResult::Read:
            break;
        case fileio::EReadResult::Unreadable:
        case fileio::EReadResult::NotRegular:
            throw CFileError(kMsgReadError);
        case fileio::EReadResult::TooLarge:
            throw CFileError(kMsgBadFormat);
    }
    if (bytes.size() < kHeaderSize) throw CFileError(kMsgBadFormat);
    const char* signature = bytes.data();
    const char* identifier = signature + kSignatureSize;
    const char* variant = identifier + kIdentifierSize;
    if (FieldText(signature, kSignatureSize) != kSignature) throw CFileError(kMsgBadFormat);
    const std::string_view bodyBytes = std::string_view(bytes).substr(kHeaderSize);

    const std::string fileName = file.string();
    bool found = false;
    if (target == kTargetFromFile) {
        const std::string id = FieldText(identifier, kIdentifierSize);
        const std::string code = FieldText(variant, kVariantSize);
        for (std::size_t i = 0; i < radios.size(); ++i) {
            if (!MatchesRadio(*radios[i], id, code)) continue;
            current = static_cast<int>(i);
            host.Select(current);
            if (!host.QuerySaveChanges(fileName)) return EOpenResult::Cancelled;
            LoadBody(bodyBytes, *radios[i], false);
            found = true;
        }
    } else if (target >= 0 && static_cast<std::size_t>(target) < radios.size()) {
        current = target;
        host.Select(current);
        if (!host.QuerySaveChanges(fileName)) return EOpenResult::Cancelled;
        LoadBody(bodyBytes, *radios[static_cast<std::size_t>(target)], true);
        found = true;
    }
    if (!found) throw CFileError(kMsgNoRadio);
    // Opened "as" another radio, the parameters belong to no file: a save asks for a name.
    radios[static_cast<std::size_t>(current)]->SetFileName(target == kTargetFromFile ? fileName
                                                                                     : "");
    return EOpenResult::Loaded;
}

void SaveParameterFile(const fs::path& file, IRadio& radio) {
    IRadioData* data = radio.Data();
    if (!data) throw CFileError(kMsgSaveError);
    // The target is checked and the temporary file made before the set is touched.
    fileio::CReplacement replacement(file);
    if (!replacement.Ready()) throw CFileError(kMsgSaveError);

    const bool wasModified = data->IsModified();
    std::ostringstream body(std::ios::binary);
    if (!data->Save(body)) throw CFileError(kMsgSaveError);
    if (!replacement.Commit(ContainerHeader(radio) + body.str())) {
        // Save has marked the set saved, but the file is not there: the text just written
        // puts the modified mark back, so that the set is neither taken for saved nor dropped.
        std::istringstream again(body.str(), std::ios::binary);
        data->Load(again, wasModified);
        throw CFileError(kMsgSaveError);
    }
    radio.SetFileName(file.string());
}

}  // namespace paramfile
