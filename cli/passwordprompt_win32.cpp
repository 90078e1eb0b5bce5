#include "passwordprompt.h"

#include <windows.h>

#include <cstdio>
#include <iostream>

namespace {

// Longer lines are cut off, the rest of them read and dropped.
constexpr std::size_t LongestPassword = 4096;

// The console's echo switched off while this lives.
class EchoOff {
public:
    explicit EchoOff(HANDLE console) : m_console(console), m_saved(::GetConsoleMode(console, &m_previous) != 0)
    {
        if (m_saved)
            ::SetConsoleMode(console, (m_previous & ~ENABLE_ECHO_INPUT) | ENABLE_LINE_INPUT);
    }
    ~EchoOff()
    {
        if (m_saved)
            ::SetConsoleMode(m_console, m_previous);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    HANDLE m_console;
    DWORD m_previous = 0;
    bool m_saved;
};

std::string Utf8(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr,
                              nullptr);
    return out;
}

std::optional<std::string> ReadConsoleLine(HANDLE console)
{
    std::wstring line;
    for (;;) {
        wchar_t c = 0;
        DWORD read = 0;
        if (!::ReadConsoleW(console, &c, 1, &read, nullptr) || read == 0)
            return line.empty() ? std::nullopt : std::optional<std::string>(Utf8(line));
        if (c == L'\n')
            break;
        if (c != L'\r' && line.size() < LongestPassword)
            line += c;
    }
    std::string password = Utf8(line);
    ::SecureZeroMemory(line.data(), line.size() * sizeof(wchar_t));
    return password;
}

} // namespace

bool InputIsTerminal()
{
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    return input != INVALID_HANDLE_VALUE && input != nullptr && ::GetConsoleMode(input, &mode) != 0;
}

std::optional<std::string> ReadPassword(const char* prompt)
{
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    if (!InputIsTerminal()) {
        // Not a console: one line of a script's input.
        std::string line;
        if (!std::getline(std::cin, line))
            return std::nullopt;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return line;
    }
    std::fputs(prompt, stderr);
    std::fflush(stderr);
    std::optional<std::string> password;
    {
        const EchoOff quiet(input);
        password = ReadConsoleLine(input);
    }
    std::fputs("\n", stderr);
    return password;
}
