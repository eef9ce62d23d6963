#pragma once
// Mpg123Decoder: one MP3 file decoded by libmpg123, the only place in the
// program that talks to that library.
//
// Open() reads the whole frame structure once (a full scan), so the length is
// exact, not estimated from the bitrate, and it learns the file's format.
// Output is 16-bit signed samples at the rate and channel count of the first
// frame, for the whole file: parts of another format (files joined with
// `cat`) are resampled and mixed to it. Gapless decoding removes the encoder
// delay and padding that a LAME/Info tag records, so sample positions count
// real audio samples. Damage does not end the file: the decoder searches on
// for the next frame however far away it lies and skips what it cannot
// decode, as other players do.
//
// Positions are those of a full decode from the first sample; that decode is
// the measure of every length and start. For a clean file the library's own
// sample arithmetic agrees with it, so seeks use the library's frame index.
// For a file whose parts the library reports as stitched together, or whose
// Info tag disagrees with the frames the scan found (cut short, holes, zeroed
// headers), it does not: the scan's length and sample seeks land elsewhere.
// Such a file is measured by decoding it once in full, and a seek decodes
// forward and discards up to the target, so every start is exactly the sample
// a full decode has there. To spare decoding from the first sample, the full
// decode of a file the library reads regularly (one format throughout, no
// damage: a file cut short, or joined from parts of one format) leaves
// checkpoints every second or so: the library's frame number there and the
// samples that follow. A seek lets the library jump a little before a
// checkpoint, finds those samples exactly once in what it decodes, and goes
// on from there. Elsewhere (a jump may pass damage or a change of format
// differently) and where the samples are not found once (silence), it
// decodes from the first sample.
//
// The scan's results are kept for the most recently scanned file (identified
// by path, size, modification time and inode), so opening that file again, as
// playback does after the probe, seeks straight to its position without a
// second scan. Bitrate: the bitrate of the frames for constant-bitrate files,
// otherwise the average over the audio frames' bytes (no tags, no Info frame,
// no zeros after the last frame) and the time those frames play.
//
// The library reads the file through a BufferedFile: a scan reads every
// frame header and skips every body, which would otherwise cost two system
// calls a frame. An instance is used by one thread at a time; separate
// instances may run on separate threads (the waveform overview's workers each
// own one).
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
  //
  // rateShift > 0 asks for reduced-rate output: the library synthesises only
  // every 2^rateShift-th sample (1 = half, 2 = quarter rate), which a picture
  // of the whole file needs and exact playback never uses. The facts, seeks
  // and decoded frames are then all at the reduced rate. A rate the library
  // cannot reduce that far fails the open; callers retry with a smaller shift.
  bool Open(const std::string& path, int rateShift = 0);
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
    int rateShift = 0;  // a reduced-rate scan counts other frames
    bool operator==(const FileIdentity&) const = default;
  };
  // A place in the full decode of a file whose positions are not trusted.
  struct Checkpoint {
    int64_t frame = 0;                // sample frames decoded before it
    off_t mpegFrame = 0;              // the library's frame number there
    std::vector<uint8_t> firstBytes;  // the samples that follow it
  };
  // What a full scan learned, kept for the most recently scanned file.
  struct ScanResult {
    FileIdentity file;
    std::vector<off_t> indexOffsets;
    off_t indexStep = 0;
    Mp3StreamFacts facts;
    bool positionsTrusted = true;         // the library's sample arithmetic matches a full decode
    std::vector<Checkpoint> checkpoints;  // of the full decode, when not trusted
  };

  // A fresh library handle on file_ from its first byte, with our parameters;
  // output forced to the first frame's format.
  bool OpenHandle();
  void CloseHandle();
  bool ReadFacts(const FileIdentity& file);
  // Sample frames a full decode from the first sample gives, leaving
  // checkpoints along the way; -1 on failure.
  int64_t CountDecodedFrames(std::vector<Checkpoint>& checkpoints);
  // Decodes a window from a little before `point` and, where the point's
  // samples lie in it exactly once, sets `frame` to the position after it.
  bool LandAfterCheckpoint(const Checkpoint& point, int64_t& frame);
  // Decodes and drops `frames` sample frames.
  void DiscardFrames(int64_t frames);

  std::unique_ptr<BufferedFile> file_;  // read by the library through handle_
  mpg123_handle_struct* handle_ = nullptr;
  int rateShift_ = 0;  // of the file open now: its output at 1 / 2^rateShift_ of the rate
  Mp3StreamFacts facts_;
  bool positionsTrusted_ = true;
  bool atEnd_ = false;
  std::unique_ptr<ScanResult> lastScan_;
  std::vector<uint8_t> scratch_;  // decoded samples nobody asked for
};
