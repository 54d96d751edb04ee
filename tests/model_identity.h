#pragma once
// What a model's module says of itself and of its one radio.

#include <gtest/gtest.h>

#include "U_radioware.h"

struct SModelIdentity {
    const char *description, *version, *name, *extension;
    int low, high;
};

inline void ExpectIdentity(IRadioWare& ware, const SModelIdentity& id) {
    EXPECT_EQ(ware.Description(), id.description);
    EXPECT_EQ(ware.Version(), id.version);
    IRadio* radio = ware.GetRadio(5);
    ASSERT_EQ(radio, ware.GetRadio(0)) << "one radio, whatever the index";
    EXPECT_EQ(radio->Name(), id.name);
    EXPECT_EQ(radio->Code(), "00");
    EXPECT_EQ(radio->MinFrequency(), id.low);
    EXPECT_EQ(radio->MaxFrequency(), id.high);
    EXPECT_EQ(radio->FileExtension(), id.extension);
}
