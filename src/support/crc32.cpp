#include "support/crc32.h"

uint32_t Crc32(uint32_t crc, const uint8_t* data, size_t size) {
  if (!data) return 0;
  crc = ~crc;
  while (size--) {
    crc ^= *data++;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}
