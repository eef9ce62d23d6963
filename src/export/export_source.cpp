// SPDX-License-Identifier: GPL-3.0-or-later
// The export's reader over a PcmStream of its own; see export_source.h.
#include "export/export_source.h"

bool StreamExportSource::Open(const std::string& fileName, const AudioFileInfo& info,
                              SampleIndex start) {
  return stream_.Open(fileName, info, start, scan_);
}

bool StreamExportSource::Read(uint8_t*& data, uint32_t& bytes) { return stream_.Read(data, bytes); }

void StreamExportSource::Close() { stream_.Close(); }
