// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// PcmStream: one file read as PCM blocks from a chosen millisecond, over an
// MP3 decoder or a WAV reader of its own. Playback and export each own one,
// so they never share a reader with each other or with a scan; mp3io's
// OpenAudioStream, ReadAudioBlock and CloseAudioStream are a face over one
// more, for callers that read one stream at a time.
//
// Blocks are 16-bit signed little-endian samples, Channels interleaved, at
// SampleRate (from the AudioFileInfo given to Open, never values re-read from
// the file), at most 8192 bytes and whole sample frames, in a buffer of the
// stream that stays valid and writable until the next Read or Close. A WAV
// stream ends with the data chunk. Used by one thread at a time.
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "audio/audio_file_info.h"
#include "audio/mp3_scan_index.h"

class Mpg123Decoder;
class RiffReader;

class PcmStream {
 public:
  static constexpr uint32_t kBlockBytes = 8192;

  PcmStream();
  ~PcmStream();
  PcmStream(const PcmStream&) = delete;
  PcmStream& operator=(const PcmStream&) = delete;

  // Opens fileName so that the first block begins at sample frame `start`,
  // closing what was open. For an MP3,
  // `scan` is the file's scan, running or finished: a start the scan has not
  // reached fails. Without it the stream measures the file itself first (a
  // full scan for a joined or damaged file). A failed open shows itself as a
  // stream whose first read returns false.
  bool Open(const std::string& fileName, const AudioFileInfo& info, SampleIndex start,
            std::shared_ptr<Mp3ScanIndex> scan = nullptr);
  // True when a block was produced; an MP3 block may be empty.
  bool Read(uint8_t*& data, uint32_t& sizeBytes);
  void Close();

 private:
  bool OpenMp3(const std::string& fileName, SampleIndex start, std::shared_ptr<Mp3ScanIndex> scan);
  bool OpenWav(const std::string& fileName, SampleIndex start);
  bool ReadWav(uint32_t& sizeBytes);

  AudioFileInfo info_;
  bool open_ = false;
  std::unique_ptr<Mpg123Decoder> mp3_;  // both made once, with the stream
  std::unique_ptr<RiffReader> wav_;
  int64_t wavBytesLeft_ = 0;  // sample bytes of the data chunk not yet read
  alignas(16) std::array<uint8_t, kBlockBytes> buffer_{};
};
