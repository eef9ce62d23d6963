#include "support/mp3_decode.h"

#include "audio/mpg123_decoder.h"

std::vector<int16_t> DecodeMp3File(const std::string& path) {
  Mpg123Decoder decoder;
  std::vector<int16_t> pcm;
  uint8_t block[8192];
  size_t bytes = 0;
  while (decoder.IsOpen() || decoder.Open(path)) {
    if (decoder.Decode(block, sizeof block, bytes) != Mpg123Decoder::DecodeStatus::Block) break;
    const auto* samples = reinterpret_cast<const int16_t*>(block);
    pcm.insert(pcm.end(), samples, samples + bytes / 2);
  }
  return pcm;
}
