#ifndef MORVA_GETDATATHREAD_H
#define MORVA_GETDATATHREAD_H

#include "app/memoryreader.h"

#include <wx/thread.h>

// The detached thread that reads the unit's memory for one "Get data". It
// drives the engine alone while it runs and deletes itself when done.
class GetDataThread : public wxThread {
public:
    GetDataThread(ReadingHost& host, morva_velox::SerialPortVeloxProtocol& protocol);
    ~GetDataThread() override;

    wxArrayString GetReportLines() const { return m_reader.GetReportLines(); }
    unsigned GetTableCount() const { return m_reader.GetTableCount(); }
    bool IsPortReading() const { return m_reader.IsPortReading(); }
    std::uint32_t GetReadStartTick() const { return m_reader.GetReadStartTick(); }

protected:
    ExitCode Entry() override;

private:
    MemoryReader m_reader;
};

#endif
