// Bytes arriving on the serial line: the frame receiver with a reply capacity from the first two
// bytes, and every complete frame read as a radio's identification.

#include "U_frame.h"
#include "U_radioserial.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size < 2) return 0;
    const std::size_t capacity = (bytes[0] | (bytes[1] << 8)) % 1024;
    frame::CReceiver receiver(capacity);
    for (std::size_t i = 2; i < size; ++i) {
        switch (receiver.Feed(bytes[i])) {
            case frame::CReceiver::Result::Frame: {
                const auto body = receiver.Body();
                if (body.size() > capacity || body.size() < 3) __builtin_trap();
                const CDeviceInfo info(body);
                for (int range = -1; range <= 4; ++range) info.RangeEdge(range, range & 1);
                receiver.Reset();
                break;
            }
            case frame::CReceiver::Result::Overflow:
                receiver.Reset();
                break;
            case frame::CReceiver::Result::More:
                break;
        }
    }
    return 0;
}
