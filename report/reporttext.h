#ifndef MORVA_REPORT_REPORTTEXT_H
#define MORVA_REPORT_REPORTTEXT_H

#include "report/reportcells.h"

#include <wx/string.h>

#include <boost/locale/utf.hpp>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The text of a report as UTF-8 without a byte-order mark, built by
// appending and handed on to a receiver in large pieces as it grows, so that
// a long report is never held whole. Every piece ends with a whole
// character.
//
// White space at the end is held back until more text follows it, so that
// TrimWhiteSpace can always take it back.
class ReportText {
public:
    // Takes one piece; false when it could not (a failed write).
    using Receiver = std::function<bool(std::string_view piece)>;
    // A place in the whole text, counted in bytes from its start.
    using Position = std::uint64_t;

    static constexpr std::size_t DefaultPieceSize = 1 << 20;
    // The most UTF-8 bytes that one wide character unit can take.
    static constexpr std::size_t MaxUtf8PerUnit = 4;

    explicit ReportText(Receiver receiver, std::size_t pieceSize = DefaultPieceSize);
    ReportText(const ReportText&) = delete;
    ReportText& operator=(const ReportText&) = delete;

    // Bytes as they are (ASCII or UTF-8).
    void Append(std::string_view bytes)
    {
        char* const out = Room(bytes.size());
        std::memcpy(out, bytes.data(), bytes.size());
        Advance(out + bytes.size());
    }

    // Wide text, converted to UTF-8.
    void AppendText(TextView text);
    void AppendText(const wxString& text) { AppendText(ViewOf(text)); }

    // Room for `size` more bytes at the end. The caller writes at most that
    // many there and then calls Advance with the end of what it wrote.
    char* Room(std::size_t size)
    {
        return size <= buffer.size() - used ? buffer.data() + used : MakeRoom(size);
    }
    void Advance(char* end) { used = static_cast<std::size_t>(end - buffer.data()); }

    // Where the next byte will go.
    Position End() const { return handedOver + used; }

    // Removes the trailing run of white space (blank, tab, line feed,
    // vertical tab, form feed, carriage return), but nothing before `since`.
    void TrimWhiteSpace(Position since);

    // Hands the rest of the text on; false when the receiver refused any
    // piece (after that no further piece is handed on).
    bool Finish();
    bool Good() const { return good; }

    // Writes the UTF-8 bytes of the character at `in` (one unit, or a
    // UTF-16 surrogate pair) and steps over it; a unit that is no Unicode
    // character becomes U+FFFD. Returns the end of the bytes written.
    static char* PutUtf8(const wchar_t*& in, const wchar_t* end, char* out)
    {
        namespace utf = boost::locale::utf;
        utf::code_point c = utf::utf_traits<wchar_t>::decode(in, end);
        if (c == utf::illegal || c == utf::incomplete)
            c = 0xFFFD;
        return utf::utf_traits<char>::encode(c, out);
    }

    // The UTF-8 bytes of wide text.
    static std::string Utf8(const wxString& text);

    // The text that `build` appends, as a wide string.
    static wxString Fragment(const std::function<void(ReportText&)>& build);

private:
    static std::string Collected(const std::function<void(ReportText&)>& build);
    char* MakeRoom(std::size_t size);
    void HandOver(std::size_t size);

    Receiver receiver;
    std::size_t pieceSize;
    std::vector<char> buffer;
    std::size_t used = 0;
    Position handedOver = 0;
    bool good = true;
};

#endif
