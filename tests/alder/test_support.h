#pragma once
// Helpers shared by the tests of the two-bank models.

#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <algorithm>
#include <span>

#include "U_radiolinks.h"
#include "U_radioware.h"

// Counts the notifications a parameter set sends.
struct SNotifyCounter {
    int count = 0;
    static void Notify(void* context, IRadioData* /*data*/) {
        ++static_cast<SNotifyCounter*>(context)->count;
    }
    void AttachTo(CRadioData& data) { data.SetNotifier(&SNotifyCounter::Notify, this); }
};

// A body as a file holds it: the empty first line, then the lines, each ended by CR LF.
inline std::string Body(const std::vector<std::string>& lines) {
    std::string body = "\r\n";
    for (const std::string& line : lines) body += line + "\r\n";
    return body;
}

inline bool ReadBody(CRadioData& data, const std::string& bytes) {
    std::istringstream in(bytes);
    return data.ReadText(in);
}

inline std::string WriteBody(CRadioData& data) {
    std::ostringstream out;
    data.WriteText(out);
    return out.str();
}

inline std::vector<std::uint8_t> Encode(CRadioData& data) {
    std::vector<std::uint8_t> image(data.ImageSize());
    data.EncodeImage(image);
    return image;
}

inline std::vector<std::uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<std::uint8_t> bytes;
    for (int v : values) bytes.push_back(static_cast<std::uint8_t>(v));
    return bytes;
}

inline std::vector<std::uint8_t> Slice(const std::vector<std::uint8_t>& image, std::size_t offset,
                                       std::size_t length) {
    return {image.begin() + static_cast<std::ptrdiff_t>(offset),
            image.begin() + static_cast<std::ptrdiff_t>(offset + length)};
}

inline unsigned WordAt(const std::vector<std::uint8_t>& image, std::size_t offset) {
    return image[offset] | (image[offset + 1] << 8);
}

// A radio behind a link that answers every request.
class CFakeSocket final : public IRadioSocket, public IRadioInfo {
  public:
    std::string fw;
    int low = 0, high = 0;
    std::string serial = "0042";
    std::vector<std::uint8_t> probe = std::vector<std::uint8_t>(512, 0);

    IRadioInfo* GetInfo() override { return this; }
    bool SetClock() override { return true; }
    bool GetSegment(std::uint16_t, std::span<std::uint8_t> destination) override {
        std::copy_n(probe.begin(), destination.size(), destination.begin());
        return true;
    }
    bool PutSegment(std::uint16_t, std::span<const std::uint8_t>) override { return true; }
    bool ReleaseSegment(std::uint16_t) override { return true; }
    bool EndSession() override { return true; }
    std::string FW() const override { return fw; }
    std::string SN() const override { return serial; }
    int BankFlag() const override { return 0; }
    int RangeCount() const override { return 1; }
    int RangeEdge(int, int edge) const override { return edge == 0 ? low : high; }
};
