// The export's reader over the program's single PCM stream; see pcm_source.h.
#include "audio/mp3io.h"
#include "export/pcm_source.h"

bool StreamPcmSource::Open(const std::string& fileName, const AudioFileInfo& info,
                           uint32_t startMs) {
  info_ = info;
  return OpenAudioStream(fileName, info, startMs);
}

bool StreamPcmSource::Read(uint8_t*& data, uint32_t& bytes) {
  return ReadAudioBlock(info_, data, bytes);
}

void StreamPcmSource::Close() { CloseAudioStream(info_); }
