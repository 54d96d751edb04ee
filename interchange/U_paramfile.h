#pragma once
// Parameter files: a 16-byte container header ("TESSEL302", the module identifier, the variant
// code) and the body that the radio's parameter set writes. Used by the window program and by
// the command-line tool alike.

#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>

#include "U_radioware.h"

namespace paramfile {

inline constexpr std::string_view kSignature = "TESSEL302";
inline constexpr std::size_t kSignatureSize = 9;
inline constexpr std::size_t kIdentifierSize = 5;
inline constexpr std::size_t kVariantSize = 2;
inline constexpr std::size_t kHeaderSize = kSignatureSize + kIdentifierSize + kVariantSize;

inline constexpr const char* kMsgBadFormat = "Файл поврежден или имеет неверный формат";
inline constexpr const char* kMsgNoRadio =
    "Параметры из файла не соответствуют ни одной радиостанции!";
inline constexpr const char* kMsgReadError = "Ошибка чтения парамеров из файла!";
inline constexpr const char* kMsgSaveError = "Ошибка сохранения парамеров в файле!";
inline constexpr const char* kMsgSaveIntoOpening = "Нельзя сохранять параметры в открываемый файл!";

// A failure with the text the user is shown.
class CFileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// What opening a file needs from its caller: the window switches its selection and asks about
// unsaved changes; the command-line tool attaches and never asks.
class IOpenHost {
  public:
    virtual void Select(int index) = 0;
    // False when the user cancels: the open is abandoned without a message.
    virtual bool QuerySaveChanges(const std::string& openingFile) = 0;

  protected:
    ~IOpenHost() = default;
};

enum class EOpenResult { Loaded, Cancelled };

inline constexpr int kTargetFromFile = -1;

// Loads a file into the radio(s) whose module identifier and variant code it names
// (target kTargetFromFile), or into radios[target] whatever it names. On success the current
// radio's file name becomes the file (or empty when a target was given). Throws CFileError.
// Returns the index of the radio loaded through current.
EOpenResult OpenParameterFile(const std::filesystem::path& file, int target,
                              std::span<IRadio* const> radios, IOpenHost& host, int& current);

// Writes the radio's parameters. The file is written beside the target and renamed over it,
// so a failed save leaves the old file untouched and the set still marked modified. A target
// that is not a regular file, or is read-only, is refused. On success the set is marked saved
// and the radio's file name becomes the file. Throws CFileError.
void SaveParameterFile(const std::filesystem::path& file, IRadio& radio);

// The container header for a radio: signature, identifier, variant.
std::string ContainerHeader(IRadio& radio);

}  // namespace paramfile
