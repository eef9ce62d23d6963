#pragma once
// Mpg123Decoder: one MP3 file decoded by libmpg123, the only place in the
// program that talks to that library.
//
// Open() reads the whole frame structure once (a full scan), so the length is
// exact, not estimated from the bitrate, and it learns the file's format.
// Output is forced to 16-bit signed samples at the file's own rate and
// channel count; gapless decoding removes the encoder delay and padding that
// a LAME/Info tag records, so sample positions count real audio samples. The
// scan's frame index is kept for the most recently scanned file (identified
// by path, size, modification time and inode), so opening that file again, as
// playback does after the probe, seeks straight to its position without a
// second scan. Bitrate: the frame's bitrate for constant-bitrate files, the
// average over the audio bytes for VBR and ABR files.
//
// The library reads the file through a BufferedFile: a scan reads every
// frame header and skips every body, which would otherwise cost two system
// calls a frame. Not thread-safe; the program uses it from the UI thread only.
#include <sys/types.h>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class BufferedFile;
struct mpg123_handle_struct;

struct Mp3StreamFacts {
  int32_t sampleRate = 0;    // Hz
  int32_t channels = 0;      // 1 or 2
  int32_t bitrateKbps = 0;   // frame bitrate, or the average for VBR/ABR
  int64_t lengthFrames = 0;  // sample frames of real audio
  int32_t lengthMs = 0;      // lengthFrames in milliseconds, rounded half to even
};

class Mpg123Decoder {
 public:
  enum class DecodeStatus { Block, End, Error };

  Mpg123Decoder();
  ~Mpg123Decoder();
  Mpg123Decoder(const Mpg123Decoder&) = delete;
  Mpg123Decoder& operator=(const Mpg123Decoder&) = delete;

  // Opens the file at its first sample, closing any file open before. False
  // when the file cannot be read or holds no decodable MPEG audio.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return handle_ != nullptr; }
  const Mp3StreamFacts& Facts() const { return facts_; }

  // Moves so that the next sample decoded is sample frame `frame` (0 = the
  // first real sample). A frame at or past the end leaves nothing to decode.
  // False when the decoder cannot land exactly there.
  bool SeekToFrame(int64_t frame);

  // Decodes up to `capacityBytes` bytes of whole sample frames into `buffer`.
  // Block with producedBytes > 0, or End / Error with producedBytes 0.
  DecodeStatus Decode(uint8_t* buffer, size_t capacityBytes, size_t& producedBytes);

 private:
  struct FileIdentity {
    std::string path;
    int64_t sizeBytes = 0;
    int64_t modifiedNs = 0;
    uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
  };
  // What a full scan learned, kept for the most recently scanned file.
  struct ScanResult {
    FileIdentity file;
    std::vector<off_t> indexOffsets;
    off_t indexStep = 0;
    Mp3StreamFacts facts;
  };

  bool ReadFacts(const FileIdentity& file);

  std::unique_ptr<BufferedFile> file_;  // read by the library through handle_
  mpg123_handle_struct* handle_ = nullptr;
  Mp3StreamFacts facts_;
  bool atEnd_ = false;
  std::unique_ptr<ScanResult> lastScan_;
};
