// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// ExportSource: where an export reads its PCM from. The program reads through a
// PcmStream of the export's own (StreamExportSource); tests put scripted sources in its
// place to reach cases a real file cannot produce (endless empty blocks).
//
// Same contract as the stream: Open at a sample frame, Read until false or
// enough, Close. A block stays valid and writable until the next Read or Close.
#include <cstdint>
#include <memory>
#include <string>

#include "audio/audio_file_info.h"
#include "audio/pcm_stream.h"

class ExportSource {
 public:
  virtual ~ExportSource() = default;
  virtual bool Open(const std::string& fileName, const AudioFileInfo& info, SampleIndex start) = 0;
  virtual bool Read(uint8_t*& data, uint32_t& bytes) = 0;
  virtual void Close() = 0;
};

// The program's stream reader, owned by the export. `scan` is the source's
// finished scan, if there is one, so the stream need not measure the file
// again.
class StreamExportSource : public ExportSource {
 public:
  explicit StreamExportSource(std::shared_ptr<Mp3ScanIndex> scan = nullptr)
      : scan_(std::move(scan)) {}
  void UseScan(std::shared_ptr<Mp3ScanIndex> scan) { scan_ = std::move(scan); }
  bool Open(const std::string& fileName, const AudioFileInfo& info, SampleIndex start) override;
  bool Read(uint8_t*& data, uint32_t& bytes) override;
  void Close() override;

 private:
  PcmStream stream_;
  std::shared_ptr<Mp3ScanIndex> scan_;
};
