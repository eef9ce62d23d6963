// SPDX-License-Identifier: GPL-3.0-or-later
// Reading main_data_begin and the block types of a layer III frame; see
// mp3_side_info.h.
#include "export/mp3_side_info.h"

namespace {

class BitReader {
 public:
  explicit BitReader(const uint8_t* data) : data_(data) {}
  uint32_t Take(int bits) {
    uint32_t value = 0;
    for (int i = 0; i < bits; ++i, ++at_) {
      value = value << 1 | ((data_[at_ / 8] >> (7 - at_ % 8)) & 1u);
    }
    return value;
  }
  void Skip(int bits) { at_ += bits; }

 private:
  const uint8_t* data_;
  int at_ = 0;
};

}  // namespace

Mp3SideFacts ReadSideFacts(const Mp3FrameHeader& header, const uint8_t* frame) {
  const bool mpeg1 = header.version == Mp3FrameHeader::Version::Mpeg1;
  const int channels = header.mono ? 1 : 2;
  const int granules = mpeg1 ? 2 : 1;
  BitReader bits(frame + header.SideInfoOffset());
  Mp3SideFacts facts;
  facts.mainDataBegin = static_cast<int>(bits.Take(mpeg1 ? 9 : 8));
  bits.Skip(mpeg1 ? (header.mono ? 5 : 3) + 4 * channels : channels);
  for (int granule = 0; granule < granules; ++granule) {
    bool allLong = true;
    for (int channel = 0; channel < channels; ++channel) {
      bits.Skip(12 + 9 + 8 + (mpeg1 ? 4 : 9));
      if (bits.Take(1) != 0) allLong = false;
      bits.Skip(22 + (mpeg1 ? 3 : 2));
    }
    if (granule == 0) facts.firstGranuleLong = allLong;
    facts.lastGranuleLong = allLong;
  }
  return facts;
}
