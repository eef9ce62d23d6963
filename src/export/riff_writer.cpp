// SPDX-License-Identifier: GPL-3.0-or-later
// Chunk creation and ascending for RIFF files; see riff_writer.h.
#include "export/riff_writer.h"

#include <limits>

namespace {

void PutLe32(uint8_t* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

bool RiffWriter::CreateRiff(RiffChunk& chunk, uint32_t formType) {
  if (!CreateChunk(chunk, FourCC("RIFF"), 0)) return false;
  chunk.formType = formType;
  uint8_t form[4];
  PutLe32(form, formType);
  return file_.Write(form, sizeof form);
}

bool RiffWriter::CreateChunk(RiffChunk& chunk, uint32_t id, uint32_t placeholderSizeBytes) {
  chunk = RiffChunk{};
  chunk.id = id;
  chunk.sizeFieldOffset = file_.SizeBytes() + 4;
  chunk.dataOffset = chunk.sizeFieldOffset + 4;
  uint8_t header[8];
  PutLe32(header, id);
  PutLe32(header + 4, placeholderSizeBytes);
  return file_.Write(header, sizeof header);
}

bool RiffWriter::Ascend(const RiffChunk& chunk) {
  const uint64_t end = file_.SizeBytes();
  if (end < chunk.dataOffset) return false;
  const uint64_t sizeBytes = end - chunk.dataOffset;
  if (sizeBytes > std::numeric_limits<uint32_t>::max()) return false;
  if (sizeBytes % 2 != 0) {
    const uint8_t pad = 0;
    if (!file_.Write(&pad, 1)) return false;
  }
  uint8_t field[4];
  PutLe32(field, static_cast<uint32_t>(sizeBytes));
  return file_.WriteAt(chunk.sizeFieldOffset, field, sizeof field);
}
