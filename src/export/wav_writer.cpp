// SPDX-License-Identifier: GPL-3.0-or-later
// The WAV header, its size patching and the RF64 form; see wav_writer.h.
#include "export/wav_writer.h"

#include <limits>

namespace {

constexpr uint64_t kMax32 = std::numeric_limits<uint32_t>::max();

void PutLe(uint8_t* out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

bool WavWriter::Create(const AudioFileInfo& info, uint64_t plannedDataBytes) {
  if (!riff_.CreateRiff(riffChunk_, FourCC("WAVE"))) return false;
  // The pad byte of an odd data chunk counts too.
  junkReserved_ = plannedDataBytes + kWavHeaderBytes + 1 - 8 > kMax32;
  if (junkReserved_) {
    const uint8_t zeros[kDs64PayloadBytes] = {};
    if (!riff_.CreateChunk(junkChunk_, FourCC("JUNK"), kDs64PayloadBytes) ||
        !riff_.Write(zeros, sizeof zeros)) {
      return false;
    }
  }
  if (!riff_.CreateChunk(chunk_, FourCC("fmt "), 18)) return false;
  const uint32_t channels = static_cast<uint32_t>(info.Channels);
  const uint32_t rate = static_cast<uint32_t>(info.SampleRate);
  blockAlign_ = channels * 2;
  uint8_t format[18] = {};
  PutLe(format + 0, 1, 2);  // PCM
  PutLe(format + 2, channels, 2);
  PutLe(format + 4, rate, 4);
  PutLe(format + 8, channels * 2 * rate, 4);
  PutLe(format + 12, blockAlign_, 2);
  PutLe(format + 14, 16, 2);
  PutLe(format + 16, 0, 2);  // no extra format bytes
  if (!riff_.Write(format, sizeof format)) return false;
  if (!riff_.Ascend(chunk_)) return false;
  return riff_.CreateChunk(chunk_, FourCC("data"), 0);
}

bool WavWriter::Finish() {
  const uint64_t dataBytes = file_.SizeBytes() - chunk_.dataOffset;
  if (file_.SizeBytes() + dataBytes % 2 - 8 <= kMax32) {
    return riff_.Ascend(chunk_) && riff_.Ascend(riffChunk_);
  }
  return junkReserved_ && FinishRf64();
}

bool WavWriter::FinishRf64() {
  const uint64_t dataBytes = file_.SizeBytes() - chunk_.dataOffset;
  const uint8_t pad = 0;
  if (dataBytes % 2 != 0 && !file_.Write(&pad, 1)) return false;
  uint8_t head[8];
  PutLe(head, FourCC("RF64"), 4);
  PutLe(head + 4, kMax32, 4);
  uint8_t ds64[8 + kDs64PayloadBytes] = {};
  PutLe(ds64, FourCC("ds64"), 4);
  PutLe(ds64 + 4, kDs64PayloadBytes, 4);
  PutLe(ds64 + 8, file_.SizeBytes() - 8, 8);
  PutLe(ds64 + 16, dataBytes, 8);
  PutLe(ds64 + 24, dataBytes / blockAlign_, 8);
  uint8_t dataSize[4];
  PutLe(dataSize, kMax32, 4);
  return file_.WriteAt(0, head, sizeof head) &&
         file_.WriteAt(junkChunk_.sizeFieldOffset - 4, ds64, sizeof ds64) &&
         file_.WriteAt(chunk_.sizeFieldOffset, dataSize, sizeof dataSize);
}
