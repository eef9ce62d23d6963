// The export's reader over the program's single PCM stream; see export_source.h.
#include "export/export_source.h"

#include "audio/mp3io.h"

bool StreamExportSource::Open(const std::string& fileName, const AudioFileInfo& info,
                              SampleIndex start) {
  info_ = info;
  return OpenAudioStream(fileName, info, start);
}

bool StreamExportSource::Read(uint8_t*& data, uint32_t& bytes) {
  return ReadAudioBlock(info_, data, bytes);
}

void StreamExportSource::Close() { CloseAudioStream(info_); }
