#pragma once

#include <cstdint>
#include <cstring>

// Host to network byte order without asking the sockets library: the result holds the
// most significant byte first in memory, whatever the byte order of the machine.

inline std::uint16_t HostToNetwork16(std::uint16_t value)
{
    const unsigned char bytes[2] = {static_cast<unsigned char>(value >> 8),
                                    static_cast<unsigned char>(value)};
    std::uint16_t result;
    std::memcpy(&result, bytes, sizeof result);
    return result;
}

inline std::uint32_t HostToNetwork32(std::uint32_t value)
{
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(value >> 24), static_cast<unsigned char>(value >> 16),
        static_cast<unsigned char>(value >> 8), static_cast<unsigned char>(value)};
    std::uint32_t result;
    std::memcpy(&result, bytes, sizeof result);
    return result;
}
