// The texts between the program (UTF-8) and the system's wide-character
// calls (UTF-16): names in any script, characters beyond the basic plane,
// a length that ends before the text does.
#include "buslib/serial/widetext_win32.h"

#include <gtest/gtest.h>

using morva_velox::Utf8FromWide;
using morva_velox::WideFromUtf8;

TEST(WideText, GoesBothWaysWhole)
{
    const struct {
        const char* utf8;
        const wchar_t* utf16;
    } texts[] = {
        {"", L""},
        {"\\\\.\\COM12", L"\\\\.\\COM12"},
        {"Преобразователь USB (COM1)", L"Преобразователь USB (COM1)"},
        {"Порт \xF0\x9D\x84\x9E ключ", L"Порт \U0001D11E ключ"}, // a surrogate pair
    };
    for (const auto& t : texts) {
        EXPECT_EQ(WideFromUtf8(t.utf8), t.utf16) << t.utf8;
        EXPECT_EQ(Utf8FromWide(t.utf16), t.utf8) << t.utf8;
    }
}

TEST(WideText, TakesOnlyTheLengthGiven)
{
    const wchar_t message[] = L"Отказано в доступе.\r\nmore";
    EXPECT_EQ(Utf8FromWide(message, 19), "Отказано в доступе.");
    EXPECT_EQ(Utf8FromWide(message, 0), "");
    EXPECT_EQ(Utf8FromWide(nullptr, 5), "");
    EXPECT_EQ(Utf8FromWide(nullptr), "");
}
