#pragma once

#include <cstddef>
#include <cstdint>

// The note options as the library reads them from the program's settings block: 84 bytes,
// little-endian, 32-bit integers and colours (0x00BBGGRR), one-byte Booleans (non-zero is true).
// The block is a binary interface; the library reads it by byte offset and never relies on the
// program's C++ class, nor on the pointer-sized words at offsets 0 and 64.
namespace TNoteBlock {
constexpr std::size_t Size = 84;
constexpr std::size_t DurationInterval = 28;
constexpr std::size_t DelayInterval = 32;
constexpr std::size_t Transparent = 36;
constexpr std::size_t Level = 40;
constexpr std::size_t BgColor = 44;
constexpr std::size_t EnColor = 48;
constexpr std::size_t TrColor = 52;
constexpr std::size_t NoteColor = 56;
constexpr std::size_t NotePosition = 68;
constexpr std::size_t Animate = 72;
constexpr std::size_t Axis = 76;
} // namespace TNoteBlock

struct TNoteSettings
{
    int32_t DurationInterval = 10; // seconds the note stays; 0 or less: until its cross is clicked
    int32_t DelayInterval = 5;     // seconds before a transparent note drops its background
    bool Transparent = false;
    int32_t Level = 0;
    uint32_t BgColor = 0xFF0000;   // Bulgarian text
    uint32_t EnColor = 0xFFFFFF;   // English word
    uint32_t TrColor = 0x0000FF;   // transcription
    uint32_t NoteColor = 0x00FFFF; // the note itself
    int32_t NotePosition = 0;      // 0 upper left, 1 upper right, 2 down left, 3 down right
    bool Animate = true;
    int32_t Axis = 0; // 0 slides along X, 1 along Y

    // Reads the block; a null block gives the defaults above. Out-of-range corner and axis
    // numbers fall back to 0.
    static TNoteSettings FromBlock(const void* Block)
    {
        TNoteSettings S;
        if (!Block)
            return S;
        const auto* B = static_cast<const unsigned char*>(Block);
        const auto U32 = [B](std::size_t Offset) {
            return uint32_t(B[Offset]) | uint32_t(B[Offset + 1]) << 8 |
                   uint32_t(B[Offset + 2]) << 16 | uint32_t(B[Offset + 3]) << 24;
        };
        const auto I32 = [&U32](std::size_t Offset) { return static_cast<int32_t>(U32(Offset)); };
        S.DurationInterval = I32(TNoteBlock::DurationInterval);
        S.DelayInterval = I32(TNoteBlock::DelayInterval);
        S.Transparent = B[TNoteBlock::Transparent] != 0;
        S.Level = I32(TNoteBlock::Level);
        S.BgColor = U32(TNoteBlock::BgColor);
        S.EnColor = U32(TNoteBlock::EnColor);
        S.TrColor = U32(TNoteBlock::TrColor);
        S.NoteColor = U32(TNoteBlock::NoteColor);
        S.NotePosition = I32(TNoteBlock::NotePosition);
        if (S.NotePosition < 0 || S.NotePosition > 3)
            S.NotePosition = 0;
        S.Animate = B[TNoteBlock::Animate] != 0;
        S.Axis = I32(TNoteBlock::Axis);
        if (S.Axis < 0 || S.Axis > 1)
            S.Axis = 0;
        return S;
    }
};
