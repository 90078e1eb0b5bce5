#include "buslib/model/busscan.h"

#include "buslib/protocol/datatypes.h"
#include "buslib/protocol/frame.h"
#include "buslib/serial/platform.h"
#include "buslib/model/point.h"
#include "buslib/model/pointscollection.h"
#include "buslib/protocol/serialportveloxprotocol.h"

#include <memory>
#include <string>

namespace morva_velox {

namespace {

constexpr std::size_t MaxPortNameBytes = 1024;

std::string engineName(const wxString& portName)
{
    std::string name(portName.mb_str());
    if (name.size() > MaxPortNameBytes)
        name.resize(MaxPortNameBytes);
    return name;
}

// Runs `onAnswer` for each good answer heard until `periodMs` has passed;
// failed answers are passed over. Each wait asks nothing again: a resend
// would only make every point answer twice.
template <typename OnAnswer>
void listen(SerialPortVeloxProtocol& engine, unsigned periodMs, OnAnswer onAnswer)
{
    const std::uint32_t start = platform::tickCount();
    while (platform::tickCount() - start <= periodMs) {
        try {
            engine.receiveSingleAnswer();
        } catch (const Exception&) {
            continue;
        }
        if (!onAnswer(headerSource(engine.answerHeader().data())))
            return;
    }
}

} // namespace

bool scanPoints(const wxString& portName, PointsCollection& collection)
{
    collection.clear();
    SerialPortVeloxProtocol engine(engineName(portName), false);
    const Header search = makeHeader(Address::none(), Address::host(), CommandSearch, TypeNone, 0);
    engine.sendRequest(search.data(), nullptr, 0);
    listen(engine, ScanAnswerTimeMs, [&](const Address& source) {
        collection.append(std::make_unique<Point>(source));
        return true;
    });
    return collection.count() > 0;
}

bool findPoint(const wxString& portName, Address& address)
{
    SerialPortVeloxProtocol engine(engineName(portName), false);
    bool found = false;
    listen(engine, ListenTimeMs, [&](const Address& source) {
        address = source;
        found = true;
        return false;
    });
    return found;
}

} // namespace morva_velox
