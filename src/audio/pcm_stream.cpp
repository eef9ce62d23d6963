// The single PCM stream of the program: OpenAudioStream, ReadAudioBlock and
// CloseAudioStream (declared in mp3io.h) over the MP3 decoder and the WAV
// reader. The state is module-wide because there is one stream for the whole
// program; every call comes from the UI thread, so nothing is locked.
//
// An MP3 stream is the decoder's single stream (mp3_decoder.h); a WAV stream
// is a RiffReader on the data chunk. Every block is handed out in DecodeBuffer, 8192 bytes
// allocated once with the program. A WAV stream reads only the sample bytes of its data chunk (as
// far as the file really holds them) and only whole sample frames, so chunks
// stored after the data and a torn last frame never come out as samples.
#include <algorithm>
#include <cstdint>
#include <string>

#include "audio/mp3_decoder.h"
#include "audio/mp3io.h"
#include "audio/riff_reader.h"
#include "audio/wav_layout.h"

namespace {

bool StreamOpen = false;
int32_t OpenFileType = AudioFileInfo::kTypeNone;

RiffReader WavFile;
int64_t WavBytesLeft = 0;  // sample bytes of the data chunk not yet read

alignas(16) uint8_t DecodeBuffer[kAudioBlockBytes];

int64_t FrameBytes(const AudioFileInfo& info) { return static_cast<int64_t>(info.Channels) * 2; }

bool OpenWavStream(const std::string& fileName, const AudioFileInfo& info, SampleIndex start) {
  if (info.Channels < 1 || info.SampleRate < 1) return false;
  WavLayout layout;
  if (OpenWavLayout(fileName, WavFile, layout) != WavOpenResult::Ok) return false;
  const int64_t frameBytes = FrameBytes(info);
  const int64_t wholeFrameBytes = layout.dataBytes / frameBytes * frameBytes;
  if (start >= SampleIndex(wholeFrameBytes / frameBytes) || start < SampleIndex(0)) {
    WavBytesLeft = 0;
    return true;
  }
  const int64_t startBytes = start.Frame() * frameBytes;
  if (!WavFile.Seek(layout.dataOffsetBytes + startBytes)) return false;
  WavBytesLeft = wholeFrameBytes - startBytes;
  return true;
}

bool OpenMp3Stream(const std::string& fileName, const AudioFileInfo& info, SampleIndex start) {
  if (SB_InitMP3(fileName.c_str(), start) != 0) return false;
  // Blocks are read with the record's format: a file that changed since it
  // was probed would be read as noise, so it is refused.
  const Mp3FrameInfo frame = GetMp3FrameInfo();
  if (frame.sampleRate != info.SampleRate || frame.channels != info.Channels) {
    SB_ExitMP3();
    return false;
  }
  return true;
}

bool ReadWavBlock(const AudioFileInfo& info, uint32_t& sizeBytes) {
  if (!WavFile.IsOpen() || WavBytesLeft <= 0) return false;
  const int64_t wantBytes = std::min<int64_t>(WavBytesLeft, kAudioBlockBytes);
  const int64_t readBytes = WavFile.Read(DecodeBuffer, wantBytes);
  if (readBytes <= 0) {
    WavBytesLeft = 0;
    return false;
  }
  // A short read means the file shrank under us: keep whole frames only and
  // end the stream after them.
  const int64_t frameBytes = FrameBytes(info);
  const int64_t wholeBytes = readBytes / frameBytes * frameBytes;
  WavBytesLeft = readBytes < wantBytes ? 0 : WavBytesLeft - readBytes;
  sizeBytes = static_cast<uint32_t>(wholeBytes);
  return wholeBytes > 0;
}

}  // namespace

bool OpenAudioStream(const std::string& fileName, AudioFileInfo info, SampleIndex start) {
  CloseAudioStream(info);
  StreamOpen = true;
  OpenFileType = info.FileType;
  switch (info.FileType) {
    case AudioFileInfo::kTypeMp3:
      return OpenMp3Stream(fileName, info, start);
    case AudioFileInfo::kTypeWav:
      return OpenWavStream(fileName, info, start);
    default:
      return false;
  }
}

bool ReadAudioBlock(AudioFileInfo info, uint8_t*& data, uint32_t& sizeBytes) {
  data = DecodeBuffer;
  sizeBytes = 0;
  if (!StreamOpen || info.FileType != OpenFileType) return false;
  switch (info.FileType) {
    case AudioFileInfo::kTypeMp3:
      return SB_decodeMP3(DecodeBuffer, &sizeBytes) == 0;
    case AudioFileInfo::kTypeWav:
      return ReadWavBlock(info, sizeBytes);
    default:
      return false;
  }
}

void CloseAudioStream(AudioFileInfo /*info*/) {
  if (!StreamOpen) return;
  StreamOpen = false;
  // Close what was opened, whatever record the caller passes now.
  switch (OpenFileType) {
    case AudioFileInfo::kTypeMp3:
      SB_ExitMP3();
      break;
    case AudioFileInfo::kTypeWav:
      WavFile.Close();
      WavBytesLeft = 0;
      break;
    default:
      break;
  }
  OpenFileType = AudioFileInfo::kTypeNone;
}
