// SPDX-License-Identifier: GPL-3.0-or-later
// PcmStream, and the program's single stream of mp3io (OpenAudioStream,
// ReadAudioBlock, CloseAudioStream) as a face over one PcmStream object.
//
// An MP3 stream is a decoder of its own; a WAV stream is a RiffReader on the
// data chunk that reads only the sample bytes of that chunk (as far as the
// file really holds them) and only whole sample frames, so chunks stored after
// the data and a torn last frame never come out as samples.
#include "audio/pcm_stream.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "audio/mp3io.h"
#include "audio/mpg123_decoder.h"
#include "audio/riff_reader.h"
#include "audio/wav_layout.h"

PcmStream::PcmStream()
    : mp3_(std::make_unique<Mpg123Decoder>()), wav_(std::make_unique<RiffReader>()) {}

PcmStream::~PcmStream() = default;

bool PcmStream::Open(const std::string& fileName, const AudioFileInfo& info, SampleIndex start,
                     std::shared_ptr<Mp3ScanIndex> scan) {
  Close();
  open_ = true;
  info_ = info;
  if (info.Channels < 1 || info.Channels > 2 || info.SampleRate < 1) return false;
  switch (info.FileType) {
    case AudioFileInfo::kTypeMp3:
      return OpenMp3(fileName, start, std::move(scan));
    case AudioFileInfo::kTypeWav:
      return OpenWav(fileName, start);
    default:
      return false;
  }
}

bool PcmStream::OpenMp3(const std::string& fileName, SampleIndex start,
                        std::shared_ptr<Mp3ScanIndex> scan) {
  if (!mp3_->Open(fileName)) return false;
  if (scan) {
    mp3_->UseScan(std::move(scan));
  } else if (!mp3_->Scan()) {
    mp3_->Close();
    return false;
  }
  // Blocks are read with the record's format: a file that changed since it
  // was probed would be read as noise, so it is refused.
  const Mp3StreamFacts& facts = mp3_->Facts();
  if (facts.sampleRate != info_.SampleRate || facts.channels != info_.Channels ||
      start < SampleIndex(0) || !mp3_->SeekToFrame(start.Frame())) {
    mp3_->Close();
    return false;
  }
  return true;
}

bool PcmStream::OpenWav(const std::string& fileName, SampleIndex start) {
  WavLayout layout;
  if (OpenWavLayout(fileName, *wav_, layout) != WavOpenResult::Ok) return false;
  const int64_t frameBytes = int64_t{info_.Channels} * 2;
  const int64_t wholeFrameBytes = layout.dataBytes / frameBytes * frameBytes;
  const int64_t startBytes = start.Frame() * frameBytes;
  if (startBytes >= wholeFrameBytes || startBytes < 0) {
    wavBytesLeft_ = 0;
    return true;
  }
  if (!wav_->Seek(layout.dataOffsetBytes + startBytes)) return false;
  wavBytesLeft_ = wholeFrameBytes - startBytes;
  return true;
}

bool PcmStream::ReadWav(uint32_t& sizeBytes) {
  if (!wav_->IsOpen() || wavBytesLeft_ <= 0) return false;
  const int64_t wantBytes = std::min<int64_t>(wavBytesLeft_, kBlockBytes);
  const int64_t readBytes = wav_->Read(buffer_.data(), wantBytes);
  if (readBytes <= 0) {
    wavBytesLeft_ = 0;
    return false;
  }
  // A short read means the file shrank under us: keep whole frames only and
  // end the stream after them.
  const int64_t frameBytes = int64_t{info_.Channels} * 2;
  const int64_t wholeBytes = readBytes / frameBytes * frameBytes;
  wavBytesLeft_ = readBytes < wantBytes ? 0 : wavBytesLeft_ - readBytes;
  sizeBytes = static_cast<uint32_t>(wholeBytes);
  return wholeBytes > 0;
}

bool PcmStream::Read(uint8_t*& data, uint32_t& sizeBytes) {
  data = buffer_.data();
  sizeBytes = 0;
  if (!open_) return false;
  switch (info_.FileType) {
    case AudioFileInfo::kTypeMp3: {
      size_t producedBytes = 0;
      const auto status = mp3_->Decode(buffer_.data(), kBlockBytes, producedBytes);
      sizeBytes = static_cast<uint32_t>(producedBytes);
      return status == Mpg123Decoder::DecodeStatus::Block;
    }
    case AudioFileInfo::kTypeWav:
      return ReadWav(sizeBytes);
    default:
      return false;
  }
}

void PcmStream::Close() {
  if (!open_) return;
  open_ = false;
  // Close what was opened, whatever record the caller passes now. The MP3
  // decoder keeps the scan of the file it measured for the next open.
  mp3_->Close();
  wav_->Close();
  wavBytesLeft_ = 0;
}

namespace {

// The stream of mp3io's face; the one Mpg123Decoder of the SB_* functions is
// another object.
PcmStream& TheStream() {
  static PcmStream stream;
  return stream;
}

}  // namespace

bool OpenAudioStream(const std::string& fileName, AudioFileInfo info, SampleIndex start) {
  return TheStream().Open(fileName, info, start);
}

bool ReadAudioBlock(AudioFileInfo info, uint8_t*& data, uint32_t& sizeBytes) {
  (void)info;
  return TheStream().Read(data, sizeBytes);
}

void CloseAudioStream(AudioFileInfo /*info*/) { TheStream().Close(); }
