// Point parameters: text forms, setting from text and address texts.
#include "buslib/protocol/exception.h"
#include "buslib/model/pointparam.h"

#include <boost/any.hpp>
#include <gtest/gtest.h>

using namespace morva_velox;

TEST(AddressTextTest, ParsesThreeShortDecimalParts)
{
    struct Row {
        const char* text;
        bool ok;
        std::uint8_t b0, b1, b2;
    };
    const Row rows[] = {
        {"1.2.3", true, 1, 2, 3},
        {"001.002.030", true, 1, 2, 30},
        {"255.255.255", true, 255, 255, 255},
        {"0.0.0", true, 0, 0, 0},
        {"1.2", false, 0, 0, 0},       // no third part
        {"1.2.3.4", false, 0, 0, 0},   // third part "3.4" does not convert
        {"1000.2.3", false, 0, 0, 0},  // part longer than three characters
        {"1.2.1000", false, 0, 0, 0},
        {"256.1.1", false, 0, 0, 0},   // out of range
        {"1.1.256", false, 0, 0, 0},
        {".1.2", false, 0, 0, 0},      // empty first part
        {"1..2", false, 0, 0, 0},
        {"1.2.", false, 0, 0, 0},
        {"a.b.c", false, 0, 0, 0},
        {"1.x.3", false, 0, 0, 0},
        {"-1.2.3", false, 0, 0, 0},
        {"", false, 0, 0, 0},
    };
    for (const Row& row : rows) {
        const std::optional<Address> address = parseAddressText(row.text);
        ASSERT_EQ(address.has_value(), row.ok) << row.text;
        if (address) {
            EXPECT_EQ(*address, Address::fromBytes(row.b0, row.b1, row.b2)) << row.text;
        }
    }
}

// A zero character inside a part ends a C conversion early; the part must
// still be refused, as "1.2.4.", which these texts would otherwise read as.
TEST(AddressTextTest, RefusesPartsWithAZeroCharacterInside)
{
    EXPECT_FALSE(parseAddressText(wxString(L"001.2\0.4\0.", 11)));
    EXPECT_FALSE(parseAddressText(wxString(L"1.2.3\0", 6)));
    EXPECT_TRUE(parseAddressText(wxString(L"1.2.3", 5)));
}

TEST(PointParamTest, SetFromTextAndDescribeByType)
{
    struct Row {
        std::int32_t type;
        Value initial;
        const char* input;
        const char* described;
    };
    const Row rows[] = {
        {TypeByte, static_cast<unsigned char>(7), "300", "P: 44"},
        {TypeByte, static_cast<unsigned char>(7), "12", "P: 12"},
        {TypeByte, static_cast<unsigned char>(7), "-1", "P: 255"},
        {TypeByte, static_cast<unsigned char>(7), "42abc", "P: 42"},
        {TypeByte, static_cast<unsigned char>(7), "abc", "P: 0"},
        {TypeFloat, 1.0f, "2.5", "P: 2.5"},
        {TypeFloat, 1.0f, "0.123456", "P: 0.123"},
        {TypeFloat, 1.0f, "1234.5", "P: 1.23e+03"},
        {TypeFloat, 1.0f, "7.5x", "P: 7.5"},
        {TypeFloat, 1.0f, "nothing", "P: 0"},
        // Beyond the float range: an infinity, not undefined behaviour.
        {TypeFloat, 1.0f, "1e300", "P: inf"},
        {TypeFloat, 1.0f, "-1e300", "P: -inf"},
        // The largest float as printed ("%.9g") lies just above it and rounds
        // back to it; from half a unit in the last place above, an infinity.
        {TypeFloat, 1.0f, "3.40282347e+38", "P: 3.4e+38"},
        {TypeFloat, 1.0f, "-3.40282347e+38", "P: -3.4e+38"},
        {TypeFloat, 1.0f, "3.4028236e+38", "P: inf"},
        {TypeWideText, wxString("old"), "new text", "P: new text"},
        {TypeWideText, wxString("old"), "", "P: "},
        {TypeAddress, Address::fromBytes(9, 9, 9), "1.2.3", "P: 1.2.3"},
        {TypeAddress, Address::fromBytes(9, 9, 9), "010.000.255", "P: 10.0.255"},
        {TypeAddress, Address::fromBytes(9, 9, 9), "1.2", "P: 9.9.9"},
        {TypeAddress, Address::fromBytes(9, 9, 9), "256.1.1", "P: 9.9.9"},
    };
    for (const Row& row : rows) {
        PointParam param(5, row.type, "P", row.initial);
        param.setFromText(row.input);
        EXPECT_EQ(param.describe(), row.described) << row.type << " " << row.input;
        EXPECT_EQ(param.value().type(), row.initial.type()) << row.input;
    }
}

TEST(PointParamTest, DescribeOfAGain)
{
    PointParam gain(1, TypeFloat, "Gain", 2.5f);
    EXPECT_EQ(gain.describe(), "Gain: 2.5");
    gain.setValue(0.123456f);
    EXPECT_EQ(gain.describe(), "Gain: 0.123");
    EXPECT_EQ(gain.text(6), "0.123456");
    EXPECT_EQ(gain.text(1), "0.1");
}

TEST(PointParamTest, ExactTextShowsEveryDigitOfAFloat)
{
    EXPECT_EQ(PointParam(1, TypeFloat, "F", 2.5f).exactText(),
              "2.50000000000000000000000000000000");
    EXPECT_EQ(PointParam(1, TypeFloat, "F", 0.1f).exactText(),
              "0.10000000149011611938476562500000");
    EXPECT_EQ(PointParam(1, TypeByte, "B", static_cast<unsigned char>(200)).exactText(), "200");
    EXPECT_EQ(PointParam(1, TypeAddress, "A", Address{513, 3}).exactText(), "1.2.3");
}

TEST(PointParamTest, OtherTypesHaveNoTextForm)
{
    for (const std::int32_t type : {0, 3, 5, 11, 13, 31, 99, -1}) {
        PointParam param(1, type, "X", 5);
        param.setFromText("17");
        EXPECT_EQ(boost::any_cast<int>(param.value()), 5) << type;
        try {
            param.text(3);
            ADD_FAILURE() << "no failure for type " << type;
        } catch (const Exception& e) {
            EXPECT_EQ(e.code(), UnsupportedDataFormat);
            EXPECT_TRUE(e.file().Contains("pointparam")) << e.file();
        }
        EXPECT_THROW(param.exactText(), Exception);
        EXPECT_THROW(param.describe(), Exception);
    }
}

TEST(PointParamTest, ValueOfAnotherTypeFailsWithBadCast)
{
    EXPECT_THROW(PointParam(1, TypeByte, "B", 2.5f).text(3), boost::bad_any_cast);
    EXPECT_THROW(PointParam(1, TypeFloat, "F", 2.5).text(3), boost::bad_any_cast);
    EXPECT_THROW(PointParam(1, TypeAddress, "A", Value()).text(3), boost::bad_any_cast);
}
