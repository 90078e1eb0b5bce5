#include "reading/memoryreader.h"

#include "archive/readingrecorder.h"
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

MemoryReader::MemoryReader(ReadingHost& host, morva_velox::SerialPortVeloxProtocol& protocol,
                           ReadingRecorder* recorder, bool onlyNew)
    : m_host(host)
    , m_protocol(protocol)
    , m_recorder(recorder)
    , m_onlyNew(onlyNew && recorder)
{
}

bool MemoryReader::IsPortReading() const { return m_protocol.isReading(); }

std::uint32_t MemoryReader::GetReadStartTick() const { return m_protocol.readStartTick(); }

void MemoryReader::ShowError(const wxString& text)
{
    m_lastError = text;
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
    KeepEnd(ok, error);
    if (error)
        ShowError(*error);
    m_host.OnReadingDone(ok);
}

void MemoryReader::KeepEnd(bool ok, const std::optional<wxString>& error)
{
    if (!m_recorder)
        return;
    if (error)
        m_recorder->End(ReadingEnd::Failed, *error);
    else if (!ok)
        m_recorder->End(ReadingEnd::Failed, m_lastError);
    else
        m_recorder->End(m_cancelled ? ReadingEnd::Cancelled : ReadingEnd::Complete);
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
    const wxString header = m_reportLines.Last();
    if (n == 0) {
        if (m_recorder)
            m_recorder->Table(ArchivedTable{t, header, n});
        m_lastError = _("There are no records in unit's nonvolatile memory");
        m_host.ShowMessage(m_lastError, programName(),
                           wxOK | wxICON_EXCLAMATION | wxCENTRE, true);
        return false;
    }

    const int step = (progressRange - 1) / n;
    m_host.UpdateProgress(0, wxString());

    for (std::uint16_t i = TakeKeptRecords(t, header, n, failures); i < n;) {
        try {
            m_reportLines.Add(m_protocol.readRecord(i));
            if (m_recorder)
                m_recorder->Record(t, i, m_reportLines.Last());
            failures = 0;
            const bool go = m_host.UpdateProgress(
                (i + 1) * step,
                wxString::Format(_("Reading table %d (%d record from %d)..."), t + 1, i + 1, n));
            if (!go) {
                n = i; // cancelled: this record is the table's last
                m_cancelled = true;
            }
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

std::uint16_t MemoryReader::TakeKeptRecords(std::uint16_t t, const wxString& header, std::uint16_t n,
                                            int& failures)
{
    ArchivedTable table{t, header, n};
    if (m_onlyNew) {
        const auto earlier = m_recorder->FindEarlierTable(t, header, n);
        const std::vector<wxString> kept
            = earlier ? m_recorder->EarlierRecords(*earlier, t) : std::vector<wxString>();
        if (earlier && kept.size() == earlier->count && !kept.empty() && ReadsAsKept(kept, 0, failures)
            && ReadsAsKept(kept, static_cast<std::uint16_t>(kept.size() - 1), failures)) {
            table.earlierReading = earlier->reading;
            table.taken = earlier->count;
            m_recorder->Table(table);
            for (const wxString& text : kept)
                m_reportLines.Add(text);
            m_host.UpdateProgress(0, wxString::Format(_("Reading table %d: %d records kept, %d new..."), t + 1,
                                                      static_cast<int>(kept.size()),
                                                      n - static_cast<int>(kept.size())));
            return static_cast<std::uint16_t>(kept.size());
        }
        const wxString why = earlier ? _("Reading table %d whole: its records differ from the kept ones...")
                                     : _("Reading table %d whole: none of its records is kept...");
        m_host.UpdateProgress(0, wxString::Format(why, t + 1));
    }
    if (m_recorder)
        m_recorder->Table(table);
    return 0;
}

bool MemoryReader::ReadsAsKept(const std::vector<wxString>& kept, std::uint16_t i, int& failures)
{
    for (;;) {
        try {
            const wxString text = m_protocol.readRecord(i);
            failures = 0;
            return text == kept[i];
        } catch (const Exception&) {
            ++failures;
            m_protocol.flush();
            if (failures > maxRetries)
                throw;
        }
    }
}

void MemoryReader::PauseAfterTable()
{
    if (!m_protocol.isAborted())
        morva_velox::platform::sleepMs(pauseAfterTableMs);
}
