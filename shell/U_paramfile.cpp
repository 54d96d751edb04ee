#include "U_paramfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <vector>

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

void LoadBody(std::ifstream& in, std::streampos bodyStart, IRadio& radio, bool modified) {
    in.clear();
    in.seekg(bodyStart);
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
    std::ifstream in(file, std::ios::binary);
    if (!in) throw CFileError(kMsgReadError);

    char signature[kSignatureSize], identifier[kIdentifierSize], variant[kVariantSize];
    if (!in.read(signature, sizeof signature) || !in.read(identifier, sizeof identifier) ||
        !in.read(variant, sizeof variant))
        throw CFileError(kMsgBadFormat);
    if (FieldText(signature, sizeof signature) != kSignature) throw CFileError(kMsgBadFormat);
    const std::streampos bodyStart = in.tellg();

    const std::string fileName = file.string();
    bool found = false;
    if (target == kTargetFromFile) {
        const std::string id = FieldText(identifier, sizeof identifier);
        const std::string code = FieldText(variant, sizeof variant);
        for (std::size_t i = 0; i < radios.size(); ++i) {
            if (!MatchesRadio(*radios[i], id, code)) continue;
            current = static_cast<int>(i);
            host.Select(current);
            if (!host.QuerySaveChanges(fileName)) return EOpenResult::Cancelled;
            LoadBody(in, bodyStart, *radios[i], false);
            found = true;
        }
    } else if (target >= 0 && static_cast<std::size_t>(target) < radios.size()) {
        current = target;
        host.Select(current);
        if (!host.QuerySaveChanges(fileName)) return EOpenResult::Cancelled;
        LoadBody(in, bodyStart, *radios[static_cast<std::size_t>(target)], true);
        found = true;
    }
    if (!found) throw CFileError(kMsgNoRadio);
    // Opened "as" another radio, the parameters belong to no file: a save asks for a name.
    radios[static_cast<std::size_t>(current)]->SetFileName(target == kTargetFromFile ? fileName
                                                                                     : "");
    return EOpenResult::Loaded;
}

namespace {

// A temporary file beside the target, removed unless it was renamed into place.
class CTempFile {
  public:
    explicit CTempFile(const fs::path& target) {
        std::string pattern =
            (target.parent_path() / ("." + target.filename().string() + ".saving-XXXXXX")).string();
        fd_ = mkstemp(pattern.data());
        if (fd_ >= 0) path_ = pattern;
    }
    ~CTempFile() {
        if (fd_ >= 0) close(fd_);
        if (!path_.empty()) unlink(path_.c_str());
    }
    CTempFile(const CTempFile&) = delete;
    CTempFile& operator=(const CTempFile&) = delete;

    bool Valid() const { return fd_ >= 0; }

    bool Write(const std::string& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n < 0) return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

    // Gives the file the permissions a plain new file (or the replaced one) would have, makes
    // it durable and puts it in place.
    bool CommitAs(const fs::path& target) {
        struct stat existing {};
        mode_t mode = 0;
        if (stat(target.c_str(), &existing) == 0) {
            mode = existing.st_mode & 07777;
        } else {
            const mode_t mask = umask(0);
            umask(mask);
            mode = 0666 & ~mask;
        }
        if (fchmod(fd_, mode) != 0 || fsync(fd_) != 0) return false;
        const int fd = fd_;
        fd_ = -1;
        if (close(fd) != 0) return false;
        if (rename(path_.c_str(), target.c_str()) != 0) return false;
        path_.clear();
        return true;
    }

  private:
    int fd_ = -1;
    std::string path_;
};

}  // namespace

void SaveParameterFile(const fs::path& file, IRadio& radio) {
    auto* data = static_cast<CRadioData*>(radio.Data());
    if (!data) throw CFileError(kMsgSaveError);

    std::ostringstream body(std::ios::binary);
    if (!data->WriteText(body)) throw CFileError(kMsgSaveError);

    // A link to the file is kept; the file it names is replaced.
    std::error_code error;
    fs::path target = file;
    if (fs::is_symlink(fs::symlink_status(file, error))) {
        target = fs::canonical(file, error);
        if (error) throw CFileError(kMsgSaveError);
    }

    CTempFile temp(target);
    if (!temp.Valid() || !temp.Write(ContainerHeader(radio) + body.str()) || !temp.CommitAs(target))
        throw CFileError(kMsgSaveError);

    data->MarkSaved();
    radio.SetFileName(file.string());
}

}  // namespace paramfile
