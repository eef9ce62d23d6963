// The four decoder functions over one module-wide Mpg123Decoder. The decoder
// object lives as long as the program, so the frame index of the last
// scanned file survives between the probe and the stream that follows it.
#include "audio/mp3_decoder.h"

#include "audio/mp3io.h"
#include "audio/mpg123_decoder.h"

namespace {

Mpg123Decoder& Decoder() {
  static Mpg123Decoder decoder;
  return decoder;
}

}  // namespace

int SB_InitMP3(const char* path, SampleIndex start) {
  Mpg123Decoder& decoder = Decoder();
  decoder.Close();
  if (path == nullptr || start < SampleIndex(0) || !decoder.Open(path)) return 1;
  if (!decoder.SeekToFrame(start.Frame())) {
    decoder.Close();
    return 1;
  }
  return 0;
}

int SB_GetFrameInfo(int32_t* sampleRate, int32_t* channels, int32_t* bitrateKbps,
                    int32_t* lengthMs) {
  const Mp3StreamFacts& facts = Decoder().Facts();
  *sampleRate = facts.sampleRate;
  *channels = facts.channels;
  *bitrateKbps = facts.bitrateKbps;
  *lengthMs = facts.lengthMs;
  return Decoder().IsOpen() ? 0 : 1;
}

int SB_decodeMP3(uint8_t* buffer, uint32_t* sizeBytes) {
  size_t producedBytes = 0;
  const auto status = Decoder().Decode(buffer, kAudioBlockBytes, producedBytes);
  *sizeBytes = static_cast<uint32_t>(producedBytes);
  return status == Mpg123Decoder::DecodeStatus::Block ? 0 : 1;
}

void SB_ExitMP3() { Decoder().Close(); }

SampleIndex SB_GetLengthFrames() {
  return SampleIndex(Decoder().IsOpen() ? Decoder().Facts().lengthFrames : 0);
}
