#pragma once
// A Larch parameter set on a radio of its own, with a counter of change notifications.

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "U_larchware.h"

class LarchSetTest : public ::testing::Test {
  protected:
    LarchSetTest() { data.SetNotifier(&LarchSetTest::Count, this); }

    static void Count(void* context, IRadioData*) {
        ++static_cast<LarchSetTest*>(context)->notifications;
    }

    CLarchCanal& Canal(int index) { return data.LarchCanal(index); }

    // The whole state, for comparing two sets or a set before and after.
    std::vector<SLarchCanalState> Canals() const {
        std::vector<SLarchCanalState> states;
        for (int i = 0; i < kLarchCanalCount; ++i) states.push_back(data.LarchCanal(i).State());
        return states;
    }

    std::string Body() {
        std::ostringstream out;
        EXPECT_TRUE(data.WriteText(out));
        return out.str();
    }

    bool Read(const std::string& bytes) {
        std::istringstream in(bytes);
        return data.ReadText(in);
    }

    std::vector<std::uint8_t> Encode() {
        std::vector<std::uint8_t> image(kLarchImageSize, 0);
        data.EncodeImage(image);
        return image;
    }

    CLarch radio;
    CLarchData data{radio};
    int notifications = 0;
};
