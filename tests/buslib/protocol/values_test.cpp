// Error texts, Exception, Address and LSingle.
#include "buslib/protocol/address.h"
#include "buslib/protocol/exception.h"
#include "buslib/protocol/lsingle.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace morva_velox;

TEST(ExceptionTest, CarriesCodeTextAndPlace)
{
    struct Row {
        std::uint32_t code;
        const char* text;
    };
    const Row rows[] = {
        {UnknownVariable, "Unknown variable"},
        {BusyWillAnswerLater, "Unit is busy and will answer later"},
        {9, "Unknown error"},
        {8, "Unknown error"},
        {WrongRedirect, "Wrong \"Redirect\" package"},
        {NoAnswer, "No answer"},
        {BufferUnderflow, "Buffer underflow"},
        {3847, "Unknown error"},
    };
    for (const Row& row : rows) {
        try {
            MORVA_VELOX_THROW(row.code);
        } catch (const Exception& e) {
            EXPECT_EQ(e.code(), row.code);
            EXPECT_EQ(e.message(), wxString(row.text)) << row.code;
            EXPECT_GT(e.line(), 0);
            EXPECT_TRUE(e.file().EndsWith("values_test.cpp"));
        }
    }
}

TEST(AddressTest, TextAndWireOrder)
{
    const Address a{513, 3};
    EXPECT_EQ(a.text(), "001.002.003");
    std::uint8_t bytes[3];
    a.toWire(bytes);
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[1], 2);
    EXPECT_EQ(bytes[2], 3);
    EXPECT_EQ(Address::fromWire(bytes), a);
    EXPECT_EQ(Address::host().text(), "001.001.001");
    EXPECT_EQ((Address{257, 1}), Address::host());
    EXPECT_EQ(Address::broadcast().text(), "255.255.255");
}

TEST(LSingleTest, EncodesToMantissaAndExponent)
{
    struct Row {
        float x;
        unsigned m;
        int e;
    };
    const Row rows[] = {
        {5.0f, 500, 0},
        {1000.0f, 1000, 2},
        {0.25f, 250, -1},
        {123.456f, 123, 2},
        {0.001f, 1000, -4},
        {1e35f, 999, 31},
        {9.99e31f, 999, 31},
        {std::numeric_limits<float>::infinity(), 999, 31},
        {1e-40f, 999, -31},
        {9.99e-31f, 999, -31},
        // y rounds to 1024, one past the mantissa: the nearest value kept.
        {1024.0f, 1023, 2},
        {1023.5f, 1023, 2},
        {1023.4f, 1023, 2},
        {102.4f, 102, 2},
        {102.3f, 1023, 1},
        {1025.0f, 103, 3},
    };
    for (const Row& row : rows) {
        const LSingle l = LSingle::fromFloat(row.x);
        EXPECT_EQ(l.mantissa(), row.m) << row.x;
        EXPECT_EQ(l.exponent(), row.e) << row.x;
        EXPECT_EQ(l.pattern >> 16, 0u) << row.x;
    }
}

TEST(LSingleTest, NonPositiveEncodesAsZero)
{
    for (float x : {0.0f, -0.0f, -5.0f, std::numeric_limits<float>::quiet_NaN(),
                    -std::numeric_limits<float>::infinity()}) {
        EXPECT_EQ(LSingle::fromFloat(x).pattern, 0u) << x;
    }
    EXPECT_EQ(LSingle{}.toFloat(), 0.0f);
}

TEST(LSingleTest, Decodes)
{
    EXPECT_FLOAT_EQ(LSingle::fromParts(500, 0).toFloat(), 5.0f);
    EXPECT_FLOAT_EQ(LSingle::fromParts(123, 2).toFloat(), 123.0f);
    EXPECT_FLOAT_EQ(LSingle::fromParts(250, -1).toFloat(), 0.25f);
    EXPECT_FLOAT_EQ(LSingle::fromParts(999, 31).toFloat(), 9.99e31f);
    EXPECT_FLOAT_EQ(LSingle::fromParts(999, -31).toFloat(), 9.99e-31f);
    EXPECT_FLOAT_EQ(LSingle::fromParts(1023, 31).toFloat(), 9.99e31f); // clamped
    EXPECT_FLOAT_EQ(LSingle::fromParts(1, -32).toFloat(), 9.99e-31f);  // clamped
    EXPECT_FLOAT_EQ(LSingle::fromFloat(1024.0f).toFloat(), 1023.0f);
    // Bits 16-31 take no part.
    EXPECT_FLOAT_EQ((LSingle{LSingle::fromParts(500, 0).pattern | 0xABCD0000u}).toFloat(), 5.0f);
}
