// A memory image as read from a radio: the first byte chooses the model, the rest is the image
// (cut or padded with 0xFF to the model's size). Decoding any bytes must give a set that encodes,
// validates and survives its own file.

#include <sstream>

#include "fuzz_models.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size < 1) return 0;
    IRadioWare& ware = *fuzzing::Wares()[bytes[0] % 4];
    CRadioData& data = fuzzing::AttachedData(ware);
    std::vector<std::uint8_t> image(data.ImageSize(), 0xFF);
    std::copy_n(bytes + 1, std::min(size - 1, image.size()), image.begin());
    data.DecodeImage(image);
    std::string message;
    data.Validate(message);
    data.RangeText();
    std::vector<std::uint8_t> encoded(data.ImageSize());
    data.EncodeImage(encoded);
    fuzzing::CheckTextRoundTrip(data, false);
    data.Reset();
    return 0;
}
