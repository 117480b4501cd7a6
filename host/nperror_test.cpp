#include "host/nperror.h"

#include <gtest/gtest.h>

#include <string>

TEST(NpErrorName, OnlyTheLowSixteenBitsCountAsASignedValue) {
    EXPECT_EQ(std::u16string(nperror_name(0)), u"No error");
    EXPECT_EQ(std::u16string(nperror_name(5)), u"Out of memory");
    EXPECT_EQ(std::u16string(nperror_name(0x7FFF0005)), u"Out of memory");
    EXPECT_EQ(std::u16string(nperror_name(-65531)), u"Out of memory");  // 0xFFFF0005
    EXPECT_EQ(std::u16string(nperror_name(13)), u"Stream not seekable");
    EXPECT_EQ(std::u16string(nperror_name(14)), u"Unrecognized error code");
    EXPECT_EQ(std::u16string(nperror_name(-1)), u"Unrecognized error code");
    EXPECT_EQ(std::u16string(nperror_name(0x8000)), u"Unrecognized error code");  // negative as int16
}
