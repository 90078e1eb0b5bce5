#include "textcolumns.h"

#include <algorithm>

namespace {

// UTF-8 characters, for the width of a column.
std::size_t width(const std::string& text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

} // namespace

std::string AlignedColumns(const std::vector<TextRow>& rows)
{
    std::vector<std::size_t> widths;
    for (const TextRow& row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (std::size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], width(row[c]));
    }
    std::string out;
    for (const TextRow& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            line += row[c];
            if (c + 1 < row.size())
                line += std::string(widths[c] - width(row[c]) + 2, ' ');
        }
        line.erase(line.find_last_not_of(' ') + 1);
        out += line + "\n";
    }
    return out;
}

std::string TabSeparated(const std::vector<TextRow>& rows)
{
    std::string out;
    for (const TextRow& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c)
            out += row[c] + (c + 1 < row.size() ? "\t" : "");
        out += "\n";
    }
    return out;
}
