#ifndef MORVA_VELOX_POINTPARAMS_H
#define MORVA_VELOX_POINTPARAMS_H

#include "buslib/model/pointparam.h"
#include "buslib/model/statustable.h"

#include <wx/string.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

namespace morva_velox {

// Texts for a point's parameters by parameter index: the payload of a
// "Params have been changed" event.
using ParamTexts = std::map<std::uint8_t, wxString>;

// A point's parameter block as the point's parameter read delivers it: its
// texts, its parameters, its status table and further device data that the
// library keeps as read without interpreting it.
class PointParams {
public:
    static constexpr std::size_t TextCount = 4;
    using PackedBytes = std::array<std::uint8_t, 9>;
    using CodeTable = std::map<std::uint8_t, wxString>;

    PointParams();

    // The four texts of the block, index 0 to 3.
    const wxString& text(std::size_t index) const { return m_texts.at(index); }
    void setText(std::size_t index, const wxString& text) { m_texts.at(index) = text; }

    const std::vector<PointParam>& params() const { return m_params; }
    std::vector<PointParam>& params() { return m_params; }
    void setParams(const std::vector<PointParam>& params) { m_params = params; }

    const PackedBytes& packedBytes() const { return m_packed; }
    void setPackedBytes(const PackedBytes& bytes) { m_packed = bytes; }

    const wxString& extraText() const { return m_extraText; }
    void setExtraText(const wxString& text) { m_extraText = text; }

    const StatusTable& statusTable() const { return m_statusTable; }
    void setStatusTable(const StatusTable& table) { m_statusTable = table; }

    std::uint16_t word() const { return m_word; }
    void setWord(std::uint16_t word) { m_word = word; }

    const wxString& stateText() const { return m_stateText; }
    void setStateText(const wxString& text) { m_stateText = text; }

    const CodeTable& codeTable() const { return m_codeTable; }
    void setCodeTable(const CodeTable& table) { m_codeTable = table; }

private:
    std::array<wxString, TextCount> m_texts;
    std::vector<PointParam> m_params;
    PackedBytes m_packed;
    wxString m_extraText;
    StatusTable m_statusTable;
    std::uint16_t m_word;
    wxString m_stateText;
    CodeTable m_codeTable;
};

} // namespace morva_velox

#endif
