// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Crc16: the CRC-16 that the LAME tag carries twice (over the music and over
// the tag itself): polynomial x^16 + x^15 + x^2 + 1, bits taken least
// significant first (reflected, 0xA001), starting at 0, no final XOR.
//
// Update eats eight bytes per step through eight tables, because the music
// CRC runs over every byte a lossless export copies and a byte-at-a-time CRC
// would cost more than the copy itself.
#include <cstddef>
#include <cstdint>

class Crc16 {
 public:
  void Update(const uint8_t* data, size_t bytes);
  uint16_t Value() const { return crc_; }

  static uint16_t Of(const uint8_t* data, size_t bytes) {
    Crc16 crc;
    crc.Update(data, bytes);
    return crc.Value();
  }

 private:
  uint16_t crc_ = 0;
};
