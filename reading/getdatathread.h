#ifndef MORVA_GETDATATHREAD_H
#define MORVA_GETDATATHREAD_H

#include "reading/memoryreader.h"

#include <wx/thread.h>

#include <memory>

// The detached thread that reads the unit's memory for one "Get data". It
// drives the engine alone while it runs and deletes itself when done.
//
// `owner`, when given, is whatever holds the host and the engine: the thread
// keeps it alive until the thread object itself is gone, so that a window
// that gives up on a reading may let go of both at any time.
class GetDataThread : public wxThread {
public:
    GetDataThread(ReadingHost& host, morva_velox::SerialPortVeloxProtocol& protocol,
                  std::shared_ptr<const void> owner = nullptr, ReadingRecorder* recorder = nullptr,
                  bool onlyNew = false);
    ~GetDataThread() override;

    wxArrayString GetReportLines() const { return m_reader.GetReportLines(); }
    unsigned GetTableCount() const { return m_reader.GetTableCount(); }
    bool IsPortReading() const { return m_reader.IsPortReading(); }
    std::uint32_t GetReadStartTick() const { return m_reader.GetReadStartTick(); }

protected:
    ExitCode Entry() override;

private:
    // Declared first: released only after the reader, which refers into it.
    std::shared_ptr<const void> m_owner;
    MemoryReader m_reader;
};

#endif
