#pragma once
// Storing and swapping the bytes of 16- and 32-bit values, most significant
// byte first where a file format wants big-endian numbers.
#include <cstdint>

// Store the low 8, 16 or 32 bits of value at at, most significant byte first.
void PutByte(std::uint8_t* at, int value);
void PutUInt16BE(std::uint8_t* at, int value);
void PutUInt32BE(std::uint8_t* at, int value);

// The two bytes of a 16-bit value exchanged, sign-extended.
int SwapBytes16(int value);
// The four bytes reversed.
int SwapBytes32(int value);
