#include "engine/ByteHelpers.h"

void PutByte(std::uint8_t* at, int value)
{
    at[0] = static_cast<std::uint8_t>(value);
}

void PutUInt16BE(std::uint8_t* at, int value)
{
    at[0] = static_cast<std::uint8_t>(static_cast<unsigned>(value) >> 8);
    at[1] = static_cast<std::uint8_t>(value);
}

void PutUInt32BE(std::uint8_t* at, int value)
{
    const auto v = static_cast<std::uint32_t>(value);
    at[0] = static_cast<std::uint8_t>(v >> 24);
    at[1] = static_cast<std::uint8_t>(v >> 16);
    at[2] = static_cast<std::uint8_t>(v >> 8);
    at[3] = static_cast<std::uint8_t>(v);
}

int SwapBytes16(int value)
{
    const auto v = static_cast<std::uint16_t>(value);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>((v >> 8) | (v << 8)));
}

int SwapBytes32(int value)
{
    const auto v = static_cast<std::uint32_t>(value);
    return static_cast<int>((v >> 24) | ((v >> 8) & 0xff00u) | ((v << 8) & 0xff0000u) | (v << 24));
}
