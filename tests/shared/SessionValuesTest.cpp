// The two small conversions the session probe leans on: session-information
// buffers to numbers, and cached names to RemoteType values.
#include <gtest/gtest.h>

#include <cstdint>

#include "shared/Farlink/RemoteType.h"
#include "shared/Farlink/SessionBuffer.h"

namespace {

using sharedfarlink::BufferToInt;
using sharedfarlink::ParseRemoteType;

TEST(BufferToInt, ReadsOneTwoAndFourBytesOnly) {
    // 0xFF in every byte: the 1- and 2-byte sizes are unsigned, the 4-byte one is not.
    const std::uint8_t ones[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    struct Row {
        DWORD bytes;
        bool converts;
        int value;
    };
    const Row rows[] = {{0, false, 0}, {1, true, 0xFF},  {2, true, 0xFFFF}, {3, false, 0},
                        {4, true, -1}, {5, false, 0}, {8, false, 0}};
    for (const Row& row : rows) {
        int value = 12345;
        EXPECT_EQ(row.converts, BufferToInt(ones, row.bytes, &value)) << row.bytes << " bytes";
        EXPECT_EQ(row.converts ? row.value : 12345, value) << row.bytes << " bytes";
    }
    int value = 7;
    EXPECT_FALSE(BufferToInt(nullptr, 4, &value));
    EXPECT_EQ(7, value);
}

TEST(ParseRemoteType, NamesInAnyCase) {
    struct Row {
        const wchar_t* text;
        int type;
    };
    const Row rows[] = {{L"Local", 0},  {L"ICA", 1},     {L"rdp", 2},      {L"HORIZON", 3},
                        {L"glass", 4},  {L"aWs", 5},     {L"Azure", 6},    {L"Disconnected", 100},
                        {L"", -1},      {L"Citrix", -1}, {L"Local ", -1},  {L"Loca", -1}};
    for (const Row& row : rows) EXPECT_EQ(row.type, ParseRemoteType(row.text)) << row.text;
    EXPECT_EQ(-1, ParseRemoteType(nullptr));
}

}  // namespace
