// CRC-32 (the polynomial of zip and gzip), bit by bit: small rather than
// fast, for the one place that needs it without zlib's tables.
#pragma once

#include <cstddef>
#include <cstdint>

// Continues `crc` (0 to start) over `size` bytes; 0 for no data pointer.
uint32_t Crc32(uint32_t crc, const uint8_t* data, size_t size);
