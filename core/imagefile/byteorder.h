// Numbers stored in files: Windows formats keep the low byte first, JPEG,
// PNG and the block resource format the high byte first.
#pragma once

#include <cstdint>

inline uint16_t LittleEndian16(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

inline uint32_t LittleEndian32(const uint8_t* bytes) {
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
           uint32_t{bytes[3]} << 24;
}

inline uint32_t BigEndian16(const uint8_t* bytes) {
    return uint32_t{bytes[0]} << 8 | bytes[1];
}

inline uint32_t BigEndian32(const uint8_t* bytes) {
    return BigEndian16(bytes) << 16 | BigEndian16(bytes + 2);
}
