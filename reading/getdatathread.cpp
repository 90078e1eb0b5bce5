#include "reading/getdatathread.h"

GetDataThread::GetDataThread(ReadingHost& host, morva_velox::SerialPortVeloxProtocol& protocol,
                             std::shared_ptr<const void> owner, ReadingRecorder* recorder, bool onlyNew)
    : wxThread(wxTHREAD_DETACHED)
    , m_owner(std::move(owner))
    , m_reader(host, protocol, recorder, onlyNew)
{
}

GetDataThread::~GetDataThread() = default;

wxThread::ExitCode GetDataThread::Entry()
{
    bool done = false;
    while (!TestDestroy() && !done) {
        m_reader.Read();
        done = true;
    }
    return nullptr;
}
