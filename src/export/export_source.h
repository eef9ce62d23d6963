#pragma once
// ExportSource: where an export reads its PCM from. The program reads through the
// single stream of mp3io (StreamExportSource); tests put scripted sources in its
// place to reach cases a real file cannot produce (endless empty blocks).
//
// Same contract as the stream: Open at a sample frame, Read until false or
// enough, Close. A block stays valid and writable until the next Read or Close.
#include <cstdint>
#include <string>

#include "audio/audio_file_info.h"

class ExportSource {
 public:
  virtual ~ExportSource() = default;
  virtual bool Open(const std::string& fileName, const AudioFileInfo& info, SampleIndex start) = 0;
  virtual bool Read(uint8_t*& data, uint32_t& bytes) = 0;
  virtual void Close() = 0;
};

// The program's stream reader (OpenAudioStream, ReadAudioBlock,
// CloseAudioStream).
class StreamExportSource : public ExportSource {
 public:
  bool Open(const std::string& fileName, const AudioFileInfo& info, SampleIndex start) override;
  bool Read(uint8_t*& data, uint32_t& bytes) override;
  void Close() override;

 private:
  AudioFileInfo info_;
};
