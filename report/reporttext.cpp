#include "report/reporttext.h"

#include <algorithm>
#include <utility>

namespace {

bool IsWhiteSpace(char c)
{
    switch (c) {
    case ' ':
    case '\t':
    case '\n':
    case '\v':
    case '\f':
    case '\r':
        return true;
    default:
        return false;
    }
}

const std::ptrdiff_t AsciiBlock = 8;

bool IsAsciiBlock(const wchar_t* text)
{
    std::uint32_t bits = 0;
    for (std::ptrdiff_t i = 0; i < AsciiBlock; ++i)
        bits |= static_cast<std::uint32_t>(text[i]);
    return bits < 0x80;
}

// A small first buffer, so that short texts (single fragments) stay cheap.
const std::size_t FirstBufferSize = 256;

} // namespace

std::string ReportText::Collected(const std::function<void(ReportText&)>& build)
{
    std::string bytes;
    ReportText text([&bytes](std::string_view piece) {
        bytes.append(piece);
        return true;
    });
    build(text);
    text.Finish();
    return bytes;
}

ReportText::ReportText(Receiver receiver, std::size_t pieceSize)
    : receiver(std::move(receiver)), pieceSize(std::max<std::size_t>(pieceSize, 1))
{
}

void ReportText::AppendText(TextView text)
{
    char* out = Room(text.size() * MaxUtf8PerUnit);
    const wchar_t* in = text.data();
    const wchar_t* const end = in + text.size();
    while (in != end) {
        // ASCII, the bulk of most texts, is its own UTF-8: taken a block at
        // a time where it can.
        if (end - in >= AsciiBlock && IsAsciiBlock(in)) {
            out = std::copy(in, in + AsciiBlock, out);
            in += AsciiBlock;
        } else if (IsAscii(*in)) {
            *out++ = static_cast<char>(*in++);
        } else {
            const wchar_t* next = in;
            out = PutUtf8(next, end, out);
            in = next;
        }
    }
    Advance(out);
}

void ReportText::TrimWhiteSpace(Position since)
{
    // Trailing white space is never handed over, so all of it is here.
    const std::size_t floor = since > handedOver ? static_cast<std::size_t>(since - handedOver) : 0;
    while (used > floor && IsWhiteSpace(buffer[used - 1]))
        --used;
}

bool ReportText::Finish()
{
    HandOver(used);
    return good;
}

std::string ReportText::Utf8(const wxString& text)
{
    return Collected([&text](ReportText& out) { out.AppendText(text); });
}

wxString ReportText::Fragment(const std::function<void(ReportText&)>& build)
{
    const std::string bytes = Collected(build);
    return wxString::FromUTF8(bytes.data(), bytes.size());
}

char* ReportText::MakeRoom(std::size_t size)
{
    if (used + size > pieceSize) {
        std::size_t whole = used;
        while (whole > 0 && IsWhiteSpace(buffer[whole - 1]))
            --whole;
        HandOver(whole);
    }
    if (size > buffer.size() - used) {
        // Grows by doubling up to the piece size, beyond only as far as one
        // append needs.
        const std::size_t doubled = std::max(2 * buffer.size(), FirstBufferSize);
        buffer.resize(std::max(used + size, std::min(doubled, pieceSize)));
    }
    return buffer.data() + used;
}

void ReportText::HandOver(std::size_t size)
{
    if (size == 0)
        return;
    if (good)
        good = receiver(std::string_view(buffer.data(), size));
    std::memmove(buffer.data(), buffer.data() + size, used - size);
    used -= size;
    handedOver += size;
}
