// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/riff_bytes.h"

#include <fstream>

namespace {

void Put(Bytes& out, uint32_t value, int byteCount) {
  for (int i = 0; i < byteCount; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutId(Bytes& out, const std::string& id) {
  for (size_t i = 0; i < 4; ++i) out.push_back(i < id.size() ? static_cast<uint8_t>(id[i]) : ' ');
}

}  // namespace

Bytes RiffChunkBytes(const std::string& id, const Bytes& body,
                     std::optional<uint32_t> claimedBytes) {
  Bytes out;
  PutId(out, id);
  Put(out, claimedBytes.value_or(static_cast<uint32_t>(body.size())), 4);
  out.insert(out.end(), body.begin(), body.end());
  if (body.size() % 2 == 1) out.push_back(0);
  return out;
}

Bytes FormatChunkBytes(const WavFormatFields& format) {
  Bytes body;
  const uint32_t blockAlign = format.channels * ((format.bitsPerSample + 7u) / 8u);
  Put(body, format.formatTag, 2);
  Put(body, format.channels, 2);
  Put(body, format.sampleRate, 4);
  Put(body, format.sampleRate * blockAlign, 4);
  Put(body, blockAlign, 2);
  Put(body, format.bitsPerSample, 2);
  Put(body, 0, 2);  // extra size
  body.resize(format.formatBytes, 0);
  return RiffChunkBytes("fmt ", body);
}

Bytes RiffWaveBytes(const std::vector<Bytes>& chunks) {
  Bytes content;
  PutId(content, "WAVE");
  for (const Bytes& chunk : chunks) content.insert(content.end(), chunk.begin(), chunk.end());
  Bytes out;
  PutId(out, "RIFF");
  Put(out, static_cast<uint32_t>(content.size()), 4);
  out.insert(out.end(), content.begin(), content.end());
  return out;
}

Bytes CountingBytes(size_t count, uint8_t first) {
  Bytes out(count);
  for (size_t i = 0; i < count; ++i) out[i] = static_cast<uint8_t>(first + i);
  return out;
}

void WriteBytesToFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}
