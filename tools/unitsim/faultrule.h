#ifndef MORVA_SIM_FAULTRULE_H
#define MORVA_SIM_FAULTRULE_H

#include "tools/unitsim/packetbytes.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace morva_sim {

// A scripted misbehaviour of the unit in answer to one request.
//
// An error answer replaces the request's handling: the unit does not carry
// the request out. Every other fault spoils only what goes on the line;
// the request itself is carried out (a record is selected, a status poll
// counts), as when a good answer is damaged on its way back.
struct Fault {
    enum class Kind {
        Silence,            // no answer at all
        PartialHeader,      // only the first `count` bytes of the answer's header
        BadHeaderChecksum,  // header checksum bytes inverted
        BadDataChecksum,    // data checksum bytes inverted (answers without data go unchanged)
        ErrorAnswer,        // command 3, data [variable, errorCode]
        Latency,            // the answer `delay` late
        HugeLength,         // a header claiming N = 0xFFFF, then only the normal data block
        StaleBytesBefore,   // `bytes` on the line before the normal answer
        TruncatedData,      // the header and only `count` bytes of the data block
    };

    Kind kind = Kind::Silence;
    std::size_t count = 0;
    std::uint8_t errorCode = 0;
    std::chrono::milliseconds delay{0};
    Bytes bytes;

    static Fault of(Kind kind)
    {
        Fault fault;
        fault.kind = kind;
        return fault;
    }
    static Fault silence() { return of(Kind::Silence); }
    static Fault partialHeader(std::size_t k) { return withCount(Kind::PartialHeader, k); }
    static Fault badHeaderChecksum() { return of(Kind::BadHeaderChecksum); }
    static Fault badDataChecksum() { return of(Kind::BadDataChecksum); }
    static Fault errorAnswer(std::uint8_t code)
    {
        Fault fault = of(Kind::ErrorAnswer);
        fault.errorCode = code;
        return fault;
    }
    static Fault latency(std::chrono::milliseconds ms)
    {
        Fault fault = of(Kind::Latency);
        fault.delay = ms;
        return fault;
    }
    static Fault hugeLength() { return of(Kind::HugeLength); }
    static Fault staleBytesBefore(Bytes garbage)
    {
        Fault fault = of(Kind::StaleBytesBefore);
        fault.bytes = std::move(garbage);
        return fault;
    }
    static Fault truncatedData(std::size_t k) { return withCount(Kind::TruncatedData, k); }

    // The bytes that go on the line instead of the good answer packets (for
    // a search, the fault spoils the first answer). Not for ErrorAnswer,
    // which the unit builds itself.
    Bytes spoil(const std::vector<Bytes>& answers) const;

private:
    static Fault withCount(Kind kind, std::size_t k)
    {
        Fault fault = of(kind);
        fault.count = k;
        return fault;
    }
};

// When a fault applies: to requests that match every criterion given (no
// criterion matches every request), for `times` matching requests (-1:
// for all of them). The first rule that matches and has uses left wins.
struct FaultRule {
    Fault fault;
    // Index among the requests received since the start or the last
    // clearing of the request log, from 0.
    std::optional<std::size_t> requestIndex;
    std::optional<std::uint8_t> command;
    // Data byte 0; a request without data never matches it.
    std::optional<std::uint8_t> variable;
    int times = 1;

    static FaultRule onRequest(std::size_t index, Fault fault);
    static FaultRule onCommand(std::uint8_t command, Fault fault);
    static FaultRule onVariable(std::uint8_t variable, Fault fault);

    bool hasUsesLeft() const { return times != 0; }
    bool matches(std::size_t index, const Bytes& request) const;
    // Counts one use.
    void use();
};

} // namespace morva_sim

#endif
