#pragma once
// The contract between the program and a model plug-in: the interfaces in their slot order,
// and the base classes every model derives from. Text crosses the boundary as std::string
// holding UTF-8; files and memory images hold Windows-1251 and are converted at that edge.

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <span>
#include <string>
#include <vector>

class QWidget;

class IRadio;
class IRadioData;
class IRadioQualifier;
class IRadioRW;

// Called whenever a parameter set's modified flag is set or reset.
using RadioDataNotifier = void (*)(void* context, IRadioData* data);

class IRadioWare {
  public:
    virtual std::string Description() const = 0;
    virtual std::string Version() const = 0;
    virtual int LinkKinds() const = 0;
    virtual int RadioCount() const = 0;
    virtual IRadio* GetRadio(int index) = 0;
    virtual bool AttachData(IRadio* radio, RadioDataNotifier notifier, void* context) = 0;
    virtual QWidget* GetView() = 0;
    virtual void UpdateView() = 0;
    virtual void FreeView() = 0;
    virtual IRadioQualifier* CreateQualifier(IRadio* radio) = 0;
    virtual void ReleaseQualifier(IRadioQualifier* qualifier) = 0;
    // The link is the program's IRadioSocket when LinkKinds has PR_NET_IRDA, else its
    // IRadioSerial; it stays owned by the program.
    virtual IRadioRW* CreateRW(IRadio* radio, void* link) = 0;
    virtual void ReleaseRW(IRadioRW* rw) = 0;
    virtual bool ReservedQuery() = 0;

  protected:
    ~IRadioWare() = default;
};

class IRadio {
  public:
    virtual std::string Code() const = 0;
    virtual std::string Name() const = 0;
    virtual int MinFrequency() const = 0;
    virtual int MaxFrequency() const = 0;
    virtual int ConverterType() const = 0;
    virtual void SetConverterType(int code) = 0;
    virtual std::string SerialNumber() const = 0;
    virtual void SetSerialNumber(const std::string& serial) = 0;
    virtual std::string FileExtension() const = 0;
    virtual std::string FileName() const = 0;
    virtual void SetFileName(const std::string& fileName) = 0;
    virtual IRadioData* Data() const = 0;
    virtual IRadioWare* Ware() const = 0;

  protected:
    ~IRadio() = default;
};

class IRadioData {
  public:
    virtual bool IsModified() const = 0;
    virtual IRadio* Radio() const = 0;
    virtual bool Validate(std::string& message) = 0;
    virtual int RadioConverterType() const = 0;
    virtual std::string RangeText() const = 0;
    virtual void Reset() = 0;
    virtual bool Load(std::istream& in, bool modified) = 0;
    virtual bool Save(std::ostream& out) = 0;

  protected:
    ~IRadioData() = default;
};

class IRadioQualifier {
  public:
    virtual IRadio* Radio() const = 0;
    virtual bool Qualification(void* link) = 0;

  protected:
    ~IRadioQualifier() = default;
};

class IRadioRW {
  public:
    virtual bool IsDone() = 0;
    virtual int Progress() const = 0;
    virtual IRadio* Radio() const = 0;
    virtual void BeginRead() = 0;
    virtual void BeginWrite() = 0;
    virtual bool Step() = 0;

  protected:
    ~IRadioRW() = default;
};

// The two entry points of a plug-in, looked up by these names.
using GetRadioWareFunc = IRadioWare* (*)();
using ReleaseRadioWareFunc = void (*)();
inline constexpr const char* kGetRadioWareName = "_GetRadioWare";
inline constexpr const char* kReleaseRadioWareName = "_ReleaseRadioWare";
#define TESSEL_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))

class CRadioData;

// A radio description: one per plug-in, built when the plug-in is loaded.
class CRadio : public IRadio {
  public:
    CRadio(std::string code, std::string name, int minFrequency, int maxFrequency,
           std::string fileExtension);
    CRadio(const CRadio&) = delete;
    CRadio& operator=(const CRadio&) = delete;

    std::string Code() const override { return code_; }
    std::string Name() const override { return name_; }
    int MinFrequency() const override { return minFrequency_; }
    int MaxFrequency() const override { return maxFrequency_; }
    int ConverterType() const override { return converterType_; }
    void SetConverterType(int code) override { converterType_ = code; }
    std::string SerialNumber() const override { return serialNumber_; }
    void SetSerialNumber(const std::string& serial) override { serialNumber_ = serial; }
    std::string FileExtension() const override { return fileExtension_; }
    std::string FileName() const override { return fileName_; }
    void SetFileName(const std::string& fileName) override { fileName_ = fileName; }
    IRadioData* Data() const override;

    // The parameter set as its model sees it; null while the radio has none.
    CRadioData* ModelData() const { return data_; }

  protected:
    ~CRadio() = default;

  private:
    friend class CRadioData;

    std::string code_;
    std::string name_;
    int minFrequency_;
    int maxFrequency_;
    int converterType_ = -1;
    std::string serialNumber_;
    std::string fileExtension_;
    std::string fileName_;
    CRadioData* data_ = nullptr;
};

class CRadioCanal;

// The number of channels of every model, indices 0..99.
inline constexpr int kRadioCanalCount = 100;

// A channel's tone as radio tools outside the family write it.
struct SCanalTone {
    enum class EKind { None, Ctcss, Dcs };
    EKind kind = EKind::None;
    // CTCSS: tenths of a hertz (885 for 88.5 Hz); DCS: the code's octal digits read as a
    // decimal number (23 for code 023).
    int value = 0;
    bool operator==(const SCanalTone&) const = default;
};

// What a channel has in common with the channels of other radios: the part that channel lists
// exchanged between programs carry.
struct SCanalCommon {
    bool enabled = false;
    int step = 0;  // Hz
    int rxFrequency = 0;
    int txFrequency = 0;
    SCanalTone rxTone;
    SCanalTone txTone;
    bool scanning = false;
    bool operator==(const SCanalCommon&) const = default;
};

// A value as the model's view shows it ("Номинальная", "93,66", "Вкл"), under the caption of
// its row or column: what the printed list and the comparison show, so that paper and window
// read alike.
struct SShownValue {
    std::string page;  // the view's page ("Основные параметры"); empty for a channel's value
    std::string group;  // the group on the page (" Передатчик" without its blank); may be empty
    std::string caption;  // the row's caption without its colon, or the column's heading
    std::string value;
    bool secret = false;  // the scrambler key: compared, never printed
    bool operator==(const SShownValue&) const = default;
};

// The first value of a common channel record that a model cannot take as it is: a frequency
// outside the allowed ranges, one off the model's frequency grid, a tone it has not.
enum class ECanalMisfit {
    None,
    RxFrequency,
    TxFrequency,
    RxTone,
    TxTone,
    ToneSplit,
    RxGrid,
    TxGrid
};

// A parameter set. Construction records it as its radio's Data, destruction clears that.
class CRadioData : public IRadioData {
  public:
    explicit CRadioData(CRadio& radio);
    CRadioData(const CRadioData&) = delete;
    CRadioData& operator=(const CRadioData&) = delete;

    bool IsModified() const final { return modified_; }
    IRadio* Radio() const final { return &radio_; }
    int RadioConverterType() const final { return uprType_; }
    void Reset() final;
    bool Load(std::istream& in, bool modified) final;
    bool Save(std::ostream& out) final;

    // Operations that only the model implements and only plug-in code (and the project's own
    // tools) call; they continue the slot order.
    virtual void SetDefaults() = 0;
    virtual bool ReadText(std::istream& in) = 0;
    virtual bool WriteText(std::ostream& out) = 0;
    virtual CRadioCanal* Canal(int index) = 0;
    virtual void EncodeImage(std::span<std::uint8_t> image) = 0;
    virtual void DecodeImage(std::span<std::uint8_t> image) = 0;
    virtual std::size_t ImageSize() const = 0;
    virtual ~CRadioData();
    // A way back to every value of the set as it is now, the modified flag apart: the returned
    // call puts them back directly, without notification. A whole read into the set (the copy
    // taken before a write) borrows the set with it.
    virtual std::function<void()> Keeper();
    // Puts back, from an image this set encoded, the fields that only the radio's memory
    // carries (the text form leaves them out); every other field stays as it is. A model whose
    // text form carries all its fields has nothing to put back.
    virtual void TakeImageOnlyFields(std::span<const std::uint8_t> image);
    // The settings as the view shows them, page by page and row by row in the view's order.
    virtual std::vector<SShownValue> ShownSettings();
    // A working channel's values as the channel table shows them, column by column (the
    // derived "=" columns left out); the caption is the column's heading on one line.
    virtual std::vector<SShownValue> ShownCanal(int index);

    // Runs look while the set holds the values of a text body, then puts the set's own values
    // back; no notification either way. False, without calling look, when the body cannot be
    // read. For showing a body (a file, an earlier state) the way the view would show it.
    bool WithBody(const std::string& body, const std::function<void()>& look);

    CRadio& OwnerRadio() const { return radio_; }

    // Sets the modified flag and notifies. Ignored while a file body is being read: Load
    // decides the flag once the whole body has been taken.
    void SetModified();
    // Clears the modified flag and notifies: the parameters are now in a file. Save does this
    // after writing; a caller that writes the text itself does it once the file is in place.
    void MarkSaved();
    void SetNotifier(RadioDataNotifier notifier, void* context);

    // The speech-converter code found in the radio; set by recognition and by image decoding,
    // without notification.
    void SetRadioConverterType(int code) { uprType_ = code; }

  protected:
    void Notify();

  private:
    bool modified_ = false;
    RadioDataNotifier notifier_ = nullptr;
    void* notifierContext_ = nullptr;
    CRadio& radio_;
    int uprType_ = -1;
    bool readingBody_ = false;
};

// The set behind a contract pointer when it is one of our own models, else null: a plug-in built
// from other sources offers the contract only, and its set is never taken for more than that.
CRadioData* OwnRadioData(IRadioData* data);
// The same for work that cannot go on without it: a set that is not ours ends that work with a
// message instead.
CRadioData& RequireOwnRadioData(IRadioData* data);

// A channel record: owned by its parameter set, with a fixed index 0..99.
class CRadioCanal {
  public:
    CRadioCanal(CRadioData& data, int index) : data_(&data), index_(index) {}
    CRadioCanal(const CRadioCanal&) = delete;
    CRadioCanal& operator=(const CRadioCanal&) = delete;

    // The channel's record in a memory image.
    virtual void EncodeCanal(std::span<std::uint8_t> record) const = 0;
    virtual void DecodeCanal(std::span<const std::uint8_t> record) = 0;
    virtual ~CRadioCanal() = default;

    // The channel in common terms.
    virtual SCanalCommon Common() const = 0;
    // Whether the values fit the model exactly: no clamping, rounding or missing tone.
    virtual ECanalMisfit Misfit(const SCanalCommon& values) const = 0;
    // Makes the channel a working one with the values, through its setters; values that do
    // not fit leave the channel as it was.
    virtual void PutCommon(const SCanalCommon& values) = 0;

    int Index() const { return index_; }
    CRadioData& Data() const { return *data_; }
    void SetModified() { data_->SetModified(); }

  private:
    CRadioData* data_;
    int index_;
};

// Stores value into field when it differs; true when it did. The setters' common step.
template <class T, class U>
bool AssignIfChanged(T& field, const U& value) {
    if (field == value) return false;
    field = value;
    return true;
}
