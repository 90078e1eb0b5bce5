// Packet layout and checksum, byte for byte.
#include "buslib/protocol/datatypes.h"
#include "buslib/serial/error.h"
#include "buslib/protocol/frame.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace morva_velox;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes packet(const Header& h, Bytes data = {})
{
    Bytes out(h.begin(), h.end());
    if (!data.empty()) {
        const std::size_t n = data.size();
        data.resize(n + ChecksumSize);
        sealDataBlock(data.data(), n);
        out.insert(out.end(), data.begin(), data.end());
    }
    return out;
}

Bytes request(std::uint8_t command, std::uint8_t type, Bytes data)
{
    return packet(makeHeader(Address::broadcast(), Address::host(), command, type,
                             static_cast<std::uint16_t>(data.size())),
                  data);
}

} // namespace

TEST(ChecksumTest, KnownValues)
{
    const std::string abc = "abc";
    EXPECT_EQ(packetChecksum(reinterpret_cast<const std::uint8_t*>(abc.data()), 3), 0x6E43u);
    const std::uint8_t one[] = {0xFC};
    EXPECT_EQ(packetChecksum(one, 1), 0xFCu);
    EXPECT_EQ(packetChecksum(one, 0), 0u);
    // Rotation wraps the top bits round.
    const std::uint8_t wide[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(packetChecksum(wide, 8), 0xFFFFu ^ (0xFFFFu << 5) ^ (0xFFFFu << 10) ^ (0xFFFFu << 15));
}

TEST(FrameTest, MemoryRequestsByteForByte)
{
    struct Row {
        const char* name;
        Bytes actual;
        Bytes expected;
    };
    const Row rows[] = {
        {"read header as wide text", request(CommandRead, TypeWideText, {VarTable}),
         {0xFF, 0xFF, 0xFF, 0x01, 0x01, 0x01, 0x06, 0x1D, 0x01, 0x00, 0xAF, 0x46, 0x74, 0x80,
          0xFC, 0xFC, 0x00, 0x00, 0x00}},
        {"clear memory", request(CommandWrite, TypeWord, {VarRecordCount, 0, 0}),
         {0xFF, 0xFF, 0xFF, 0x01, 0x01, 0x01, 0x08, 0x05, 0x03, 0x00, 0xAF, 0x87, 0x75, 0x80,
          0xFD, 0x00, 0x00, 0xA0, 0x1F, 0x00, 0x00}},
        {"select table 0", request(CommandWrite, TypeWord, {VarTable, 0, 0}),
         {0xFF, 0xFF, 0xFF, 0x01, 0x01, 0x01, 0x08, 0x05, 0x03, 0x00, 0xAF, 0x87, 0x75, 0x80,
          0xFC, 0x00, 0x00, 0x80, 0x1F, 0x00, 0x00}},
        {"read record count", request(CommandRead, TypeWord, {VarRecordCount}),
         {0xFF, 0xFF, 0xFF, 0x01, 0x01, 0x01, 0x06, 0x05, 0x01, 0x00, 0xAF, 0x45, 0x74, 0x80,
          0xFD, 0xFD, 0x00, 0x00, 0x00}},
        {"read status", request(CommandRead, TypeByte, {VarRecordStatus}),
         {0xFF, 0xFF, 0xFF, 0x01, 0x01, 0x01, 0x06, 0x01, 0x01, 0x00, 0x2F, 0x45, 0x74, 0x80,
          0xF8, 0xF8, 0x00, 0x00, 0x00}},
        {"read record text", request(CommandRead, TypeWideText, {VarRecord}),
         {0xFF, 0xFF, 0xFF, 0x01, 0x01, 0x01, 0x06, 0x1D, 0x01, 0x00, 0xAF, 0x46, 0x74, 0x80,
          0xFE, 0xFE, 0x00, 0x00, 0x00}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.actual, row.expected) << row.name;

    // Select record i: FE, i little-endian, checksum of the three bytes.
    const Bytes select = request(CommandWrite, TypeWord, {VarRecord, 0x34, 0x12});
    const std::uint8_t block[] = {0xFE, 0x34, 0x12};
    EXPECT_EQ(wire::le32(select.data() + 17), packetChecksum(block, 3));
    EXPECT_EQ(wire::le32(select.data() + 17), (0xFEu << 5) ^ 0x3412u);
}

TEST(FrameTest, CheckAnswer)
{
    const Header good = makeHeader(Address::host(), Address::broadcast(), CommandRead, TypeWord, 0);
    EXPECT_EQ(checkAnswer(good.data(), nullptr, 0), NoError);

    Header badHeader = good;
    badHeader[12] ^= 1;
    EXPECT_EQ(checkAnswer(badHeader.data(), nullptr, 0), HeaderCorrupted);

    Bytes error = request(CommandError, TypeByte, {VarTable, UnknownVariable});
    EXPECT_EQ(checkAnswer(error.data(), error.data() + HeaderSize, 6), UnknownVariable);

    Bytes damaged = error;
    damaged[HeaderSize + 1] = 5; // data no longer matches its checksum
    EXPECT_EQ(checkAnswer(damaged.data(), damaged.data() + HeaderSize, 6), DataCorrupted);

    // Header checksum wins over everything else.
    damaged[11] ^= 0x40;
    EXPECT_EQ(checkAnswer(damaged.data(), damaged.data() + HeaderSize, 6), HeaderCorrupted);

    // An error answer without a code, or with code 0, is still a failure.
    const Bytes bare = request(CommandError, TypeByte, {VarTable});
    EXPECT_EQ(checkAnswer(bare.data(), bare.data() + HeaderSize, 5), UnknownError);
    const Bytes zero = request(CommandError, TypeByte, {VarTable, 0});
    EXPECT_EQ(checkAnswer(zero.data(), zero.data() + HeaderSize, 6), UnknownError);

    // The unit's codes pass unchanged; any other byte is an unknown error,
    // never a code of the host's own range or outside every range.
    const auto codeOf = [](std::uint8_t code) {
        const Bytes answer = request(CommandError, TypeByte, {VarTable, code});
        return checkAnswer(answer.data(), answer.data() + HeaderSize, 6);
    };
    for (const std::uint8_t code : {1, 2, 3, 4, 5, 6, 7, 10, 255})
        EXPECT_EQ(codeOf(code), code);
    for (const std::uint8_t code : {8, 9, 11, 0x0F, 251})
        EXPECT_EQ(codeOf(code), UnknownError) << int(code);
}

TEST(FrameTest, ValueSizes)
{
    EXPECT_EQ(answerValueSize(TypeByte, 2), 1);
    EXPECT_EQ(answerValueSize(TypeByte, 0), 0);
    EXPECT_EQ(answerValueSize(TypeWideText, 9), 8);
    EXPECT_EQ(answerValueSize(TypeWord, 100), 2);
    EXPECT_EQ(answerValueSize(TypeLSingle, 5), 4);
    EXPECT_EQ(answerValueSize(TypeQuad, 9), 8);
    EXPECT_EQ(answerValueSize(TypeAddress, 4), -1);
    EXPECT_EQ(answerValueSize(0, 4), -1);

    // Data lengths of write requests: value + the variable code.
    EXPECT_EQ(writeValueSize(TypeByte) + 1, 2);
    EXPECT_EQ(writeValueSize(TypeWord) + 1, 3);
    EXPECT_EQ(writeValueSize(TypeLong) + 1, 5);
    EXPECT_EQ(writeValueSize(TypeQuad) + 1, 9);
    EXPECT_EQ(writeValueSize(TypeAddress) + 1, 4);
    EXPECT_EQ(writeValueSize(TypeWideText, 7) + 1, 2 * 7 + 3);
    EXPECT_EQ(writeValueSize(TypeText8), -1);
}
