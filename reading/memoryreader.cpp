#include "reading/memoryreader.h"

#include "buslib/protocol/exception.h"
#include "buslib/serial/platform.h"
#include "buslib/protocol/serialportveloxprotocol.h"

#include <wx/defs.h>
#include <wx/intl.h>

#include <optional>

using morva_velox::Exception;

namespace {

wxString readErrorText() { return _("Error while reading! Can't get data!"); }
wxString programName() { return _("MORVA_Reporter"); }

} // namespace

MemoryReader::MemoryReader(ReadingHost& host, morva_velox::SerialPortVeloxProtocol& protocol)
    : m_host(host)
    , m_protocol(protocol)
{
}

bool MemoryReader::IsPortReading() const { return m_protocol.isReading(); }

std::uint32_t MemoryReader::GetReadStartTick() const { return m_protocol.readStartTick(); }

void MemoryReader::ShowError(const wxString& text)
{
    m_host.ShowMessage(readErrorText() + "\n" + text, programName(),
                       wxOK | wxICON_ERROR | wxCENTRE, true);
}

void MemoryReader::Read()
{
    bool ok = false;
    std::optional<wxString> error;
    try {
        ok = ReadAllTables();
    } catch (const Exception& e) {
        error = e.message();
    }
    // The port is free for the next reading as soon as this one has read
    // its last byte, while its error is shown or its report written.
    m_protocol.close();
    if (error)
        ShowError(*error);
    m_host.OnReadingDone(ok);
}

bool MemoryReader::ReadAllTables()
{
    std::uint16_t t = 0;
    try {
        for (;;) {
            m_protocol.selectTable(t);
            m_host.UpdateProgress(0, wxString::Format(_("Reading table %d..."), t + 1));
            if (!ReadTable(t))
                return false;
            ++t;
        }
    } catch (const Exception& e) {
        if (e.code() != morva_velox::UnknownVariable)
            throw Exception("GetDataThread", 94, e.code());
        if (t > 0) {
            m_tableCount = t;
            return true;
        }
    }
    // The unit has no table selection: its memory is one table.
    m_host.UpdateProgress(0, _("Reading table..."));
    if (!ReadTable(0))
        return false;
    m_tableCount = 1;
    return true;
}

bool MemoryReader::ReadTableHeader(std::uint16_t& count, int& failures)
{
    for (;;) {
        try {
            const wxString header = m_protocol.readTableHeader();
            count = m_protocol.readRecordCount();
            // The header goes in once, however often the step was tried.
            m_reportLines.Add(header);
            return true;
        } catch (const Exception& e) {
            if (e.code() == morva_velox::UnknownVariable) {
                ShowError(e.message());
                return false;
            }
            ++failures;
            m_protocol.flush();
            if (failures > maxRetries)
                throw;
        }
    }
}

bool MemoryReader::ReadTable(std::uint16_t t)
{
    int failures = 0;
    std::uint16_t n = 0;
    if (!ReadTableHeader(n, failures))
        return false;
    if (n == 0) {
        m_host.ShowMessage(_("There are no records in unit's nonvolatile memory"), programName(),
                           wxOK | wxICON_EXCLAMATION | wxCENTRE, true);
        return false;
    }

    const int step = (progressRange - 1) / n;
    m_host.UpdateProgress(0, wxString());

    for (std::uint16_t i = 0; i < n;) {
        try {
            m_reportLines.Add(m_protocol.readRecord(i));
            failures = 0;
            const bool go = m_host.UpdateProgress(
                (i + 1) * step,
                wxString::Format(_("Reading table %d (%d record from %d)..."), t + 1, i + 1, n));
            if (!go)
                n = i; // cancelled: this record is the table's last
            ++i;
        } catch (const Exception&) {
            ++failures;
            m_protocol.flush();
            if (failures > maxRetries) {
                if (i <= 1)
                    throw;
                n = i; // keep what was read, end the table here
                m_host.ShowMessage(readErrorText(), "Error", wxICON_ERROR, false);
            }
        }
    }

    m_reportLines.Add(wxString());
    PauseAfterTable();
    return true;
}

void MemoryReader::PauseAfterTable()
{
    if (!m_protocol.isAborted())
        morva_velox::platform::sleepMs(pauseAfterTableMs);
}
