// BinaryWriter: builds little-endian bytes for binary mesh test files.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

class BinaryWriter {
public:
    BinaryWriter& i32(std::int32_t value) {
        std::uint32_t bits;
        std::memcpy(&bits, &value, 4);
        return u32(bits);
    }
    BinaryWriter& f32(float value) {
        std::uint32_t bits;
        std::memcpy(&bits, &value, 4);
        return u32(bits);
    }
    BinaryWriter& u16(std::uint16_t value) {
        bytes.push_back(static_cast<char>(value & 0xFF));
        bytes.push_back(static_cast<char>(value >> 8));
        return *this;
    }
    const std::string& get() const { return bytes; }

private:
    BinaryWriter& u32(std::uint32_t bits) {
        for (int shift = 0; shift < 32; shift += 8) {
            bytes.push_back(static_cast<char>((bits >> shift) & 0xFF));
        }
        return *this;
    }
    std::string bytes;
};
