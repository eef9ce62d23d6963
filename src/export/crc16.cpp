// SPDX-License-Identifier: GPL-3.0-or-later
// The LAME tag's CRC-16, eight bytes at a time; see crc16.h.
#include "export/crc16.h"

#include <array>

namespace {

using Tables = std::array<std::array<uint16_t, 256>, 8>;

// tables[0] is the byte-at-a-time table; tables[k][b] is the CRC of byte b
// followed by k zero bytes, so that eight bytes fold in with eight look-ups.
constexpr Tables MakeTables() {
  Tables tables{};
  for (unsigned byte = 0; byte < 256; ++byte) {
    uint16_t crc = static_cast<uint16_t>(byte);
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
    }
    tables[0][byte] = crc;
  }
  for (int k = 1; k < 8; ++k) {
    for (unsigned byte = 0; byte < 256; ++byte) {
      const uint16_t previous = tables[k - 1][byte];
      tables[k][byte] = static_cast<uint16_t>((previous >> 8) ^ tables[0][previous & 0xFF]);
    }
  }
  return tables;
}

constexpr Tables kTables = MakeTables();

}  // namespace

void Crc16::Update(const uint8_t* data, size_t bytes) {
  uint16_t crc = crc_;
  while (bytes >= 8) {
    const uint16_t first = static_cast<uint16_t>(crc ^ (data[0] | data[1] << 8));
    crc = static_cast<uint16_t>(kTables[7][first & 0xFF] ^ kTables[6][first >> 8] ^
                                kTables[5][data[2]] ^ kTables[4][data[3]] ^ kTables[3][data[4]] ^
                                kTables[2][data[5]] ^ kTables[1][data[6]] ^ kTables[0][data[7]]);
    data += 8;
    bytes -= 8;
  }
  while (bytes-- > 0) crc = static_cast<uint16_t>((crc >> 8) ^ kTables[0][(crc ^ *data++) & 0xFF]);
  crc_ = crc;
}
