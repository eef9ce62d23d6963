// The WAV header and its size patching; see wav_writer.h.
#include "export/wav_writer.h"

namespace {

void PutLe(uint8_t* out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

bool WavWriter::Create(const AudioFileInfo& info) {
  if (!riff_.CreateRiff(riffChunk_, FourCC("WAVE"))) return false;
  if (!riff_.CreateChunk(chunk_, FourCC("fmt "), 18)) return false;
  const uint32_t channels = static_cast<uint32_t>(info.Channels);
  const uint32_t rate = static_cast<uint32_t>(info.SampleRate);
  uint8_t format[18] = {};
  PutLe(format + 0, 1, 2);  // PCM
  PutLe(format + 2, channels, 2);
  PutLe(format + 4, rate, 4);
  PutLe(format + 8, channels * 2 * rate, 4);
  PutLe(format + 12, channels * 2, 2);
  PutLe(format + 14, 16, 2);
  PutLe(format + 16, 0, 2);  // no extra format bytes
  if (!riff_.Write(format, sizeof format)) return false;
  if (!riff_.Ascend(chunk_)) return false;
  return riff_.CreateChunk(chunk_, FourCC("data"), 0);
}

bool WavWriter::Finish() { return riff_.Ascend(chunk_) && riff_.Ascend(riffChunk_); }
