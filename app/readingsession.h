#ifndef MORVA_READINGSESSION_H
#define MORVA_READINGSESSION_H

#include "app/mainthreadhost.h"
#include "archive/archivesettings.h"
#include "archive/readingrecorder.h"
#include "buslib/protocol/serialportveloxprotocol.h"

#include <memory>
#include <string>

// The objects of one "Get data" that the window and its reading thread
// share: the engine, opened on the chosen port, and the link through which
// the thread reaches the window, and the recorder that keeps the reading in
// the station's archive file (none when no place is named), which feeds
// the archive server through the window's outbox. Held by shared ownership, so that neither
// is released while the thread may still use it, however the reading ends.
struct ReadingSession {
    ReadingSession(const std::string& port, int baud, morva_velox::Pace pace, ReadingHost& window,
                   const ArchiveSettings::Places& archives = {}, const ReadingFacts& facts = ReadingFacts(),
                   std::shared_ptr<ArchiveOutbox> outbox = nullptr)
        : facts(facts)
        , protocol(port, false, baud, 'N', 8, 0)
        , host(window)
        , recorder((archives.file.empty() && archives.server.empty()) || !protocol.isOpen()
                       ? ReadingRecorder()
                       : ReadingRecorder(archives.file, facts, std::move(outbox)))
    {
        protocol.setPace(pace);
    }

    // What the reading's workbook tells of it.
    const ReadingFacts facts;
    const wxDateTime started = wxDateTime::Now();
    morva_velox::SerialPortVeloxProtocol protocol;
    MainThreadHost host;
    ReadingRecorder recorder;
};

#endif
