// SPDX-License-Identifier: GPL-3.0-or-later
// The four decoder functions, a thin face over one Mpg123Decoder object that
// lives as long as the program. SB_InitMP3 measures the file in full before
// it seeks (the decoder keeps the scan of the last file it measured, so a
// second open of an unchanged file does not scan again). Readers that must
// not wait for a scan (playback, export, the scan itself) own decoders of
// their own (PcmStream, Mp3Scanner).
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
  if (path == nullptr || start < SampleIndex(0) || !decoder.Open(path) || !decoder.Scan()) return 1;
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
