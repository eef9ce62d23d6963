// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Mpg123Decoder: one MP3 file decoded by libmpg123, the only place in the
// program that talks to that library.
//
// Open() is quick: it reads the first frames and gives the format and a
// length estimated from the headers (an Info or VBRI tag's frame count, else
// the file's size at the first frame's bitrate). Scan() then measures the
// file: the header pass reads every frame header, and where the library's
// own sample arithmetic cannot be trusted (parts joined with `cat`, damage,
// an Info tag that disagrees with the frames) the decode pass decodes the
// whole file once, in parts side by side (mp3_part_scan.h). What it learns
// goes into an Mp3ScanIndex that other decoders of the same file adopt with
// UseScan(), also while the scan still runs; see mp3_scan_index.h.
//
// Output is 16-bit signed samples at the rate and channel count of the first
// frame, for the whole file: parts of another format are resampled and mixed
// to it. Gapless decoding removes the encoder delay and padding that a
// LAME/Info tag records, so sample positions count real audio samples. A
// VBRI tag frame (Fraunhofer's VBR header) is no audio: it is hidden from
// the library, as the library itself leaves out an Info frame. Damage does
// not end the file: the decoder searches on for the next frame however far
// away it lies and skips what it cannot decode, as other players do.
//
// Positions are those of a full decode from the first sample. For a trusted
// file a seek uses the library's frame index; otherwise a seek restarts the
// library a little before the last checkpoint, finds the checkpoint's samples
// exactly once in what it decodes, and decodes forward to the target (from
// the first sample where no checkpoint serves).
//
// Bitrate: the frames' own bitrate for constant-bitrate files, otherwise the
// average over the audio frames' bytes (no tags, no Info frame, no zeros
// after the last frame) and the time those frames play.
//
// The library reads the file through a BufferedFile: a scan reads every
// frame header and skips every body, which would otherwise cost two system
// calls a frame. An instance is used by one thread at a time; separate
// instances may run on separate threads, each with a decoder of its own.
#include <sys/types.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/mp3_scan_index.h"

class BufferedFile;
struct mpg123_handle_struct;

class Mpg123Decoder {
 public:
  enum class DecodeStatus { Block, End, Error };

  // How a scan is steered from outside: `stop`, set by another thread, ends
  // it at the next read of the file; `progress` hears the share done (0 to 1)
  // on the scanning thread, about every megabyte; `into`, when given, is the
  // index the scan fills (shared with readers before the scan begins).
  // `parts` (0: one per processor core) and `minPartMpegFrames` say how the
  // decode pass splits the file between threads; see mp3_part_scan.h.
  struct ScanControl {
    const std::atomic<bool>* stop = nullptr;
    std::function<void(double fraction)> progress;
    std::shared_ptr<Mp3ScanIndex> into;
    int parts = 0;
    int64_t minPartMpegFrames = 1000;
  };

  // One MPEG frame's output, as DecodeMpegFrame() gives it.
  struct DecodedFrame {
    off_t mpegFrame = 0;            // the library's number of the frame
    const uint8_t* data = nullptr;  // its samples (gapless trimming applied),
    size_t bytes = 0;               // valid until the next call
    off_t librarySample = 0;        // the library's own count of samples before it
    bool trimmed = false;           // gapless trimming cut it short
    bool freshDecoder = false;      // the library set its decoder up anew for it
    bool resampled = false;         // the frame's rate differs from the output's
  };

  Mpg123Decoder();
  ~Mpg123Decoder();
  Mpg123Decoder(const Mpg123Decoder&) = delete;
  Mpg123Decoder& operator=(const Mpg123Decoder&) = delete;

  // Opens the file at its first sample, closing any file open before, and
  // reads the format and the estimated length from the headers. False when
  // the file cannot be read or holds no decodable MPEG audio. A file this
  // decoder scanned before and that has not changed since comes back exact.
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

  // Measures the open file (see above) and leaves it at its first sample with
  // exact facts. False when stopped or when the file cannot be decoded.
  bool Scan(const ScanControl& control);
  bool Scan() { return Scan(ScanControl{}); }
  // The scan's results, shared with readers of the same file; null before
  // Scan() or UseScan().
  std::shared_ptr<Mp3ScanIndex> Index() const { return index_; }
  // Seeks by the scan of another decoder of the same file (at rate shift 0),
  // finished or still running; the facts become exact once it has finished.
  void UseScan(std::shared_ptr<Mp3ScanIndex> index);
  // Sample frames from the start a seek can reach exactly now.
  int64_t KnownFrames() const;

  // Moves so that the next sample decoded is sample frame `frame` (0 = the
  // first real sample). A frame at or past the end leaves nothing to decode.
  // False when the decoder cannot land exactly there, also for a frame the
  // scan has not reached yet.
  bool SeekToFrame(int64_t frame);

  // For the parts of a decode pass: moves to MPEG frame `mpegFrame` by the
  // frame index of a header pass (the library decodes lead frames before it
  // and drops them), then decodes one MPEG frame a call. DecodeMpegFrame
  // gives Block with a frame (possibly of no samples), End, or Error when
  // the output format would change or the library stalls.
  bool StartAtMpegFrame(const std::vector<off_t>& offsets, off_t step, off_t mpegFrame);
  DecodeStatus DecodeMpegFrame(DecodedFrame& frame);
  // Sets the flag that stops this decoder's reads, as a scan's `stop` does.
  void StopWith(const std::atomic<bool>* stop) { stop_ = stop; }

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

  // A fresh library handle on the file from its first byte, with our
  // parameters; output forced to the first frame's format once known.
  bool OpenHandle();
  void CloseHandle();
  bool ReadFormat();
  // Decodes a window from a little before `point` and, where the point's
  // samples lie in it exactly once, sets `frame` to the position after it.
  bool LandAfterCheckpoint(const Mp3Checkpoint& point, int64_t& frame);
  // Decodes and drops `frames` sample frames.
  void DiscardFrames(int64_t frames);
  bool SetLibraryIndex();
  bool Stopped() const { return stop_ != nullptr && stop_->load(std::memory_order_relaxed); }

  // The library's reader: the file as the library sees it, without a VBRI
  // frame; it also answers a stop and reports a scan's progress.
  static ssize_t ReadCallback(void* self, void* out, size_t bytes);
  static off_t SeekCallback(void* self, off_t offset, int whence);
  off_t PhysicalOffset(off_t logical) const;

  std::unique_ptr<BufferedFile> file_;  // read by the library through handle_
  FileIdentity identity_;
  mpg123_handle_struct* handle_ = nullptr;
  int rateShift_ = 0;  // of the file open now: its output at 1 / 2^rateShift_ of the rate
  Mp3StreamFacts facts_;
  bool atEnd_ = false;
  off_t hiddenBegin_ = 0;  // the VBRI frame, hidden from the library
  off_t hiddenBytes_ = 0;
  off_t logicalAt_ = 0;    // where the library reads in its view of the file
  off_t logicalSize_ = 0;
  const std::atomic<bool>* stop_ = nullptr;
  std::function<void(off_t)> readProgress_;  // during a scan
  std::shared_ptr<Mp3ScanIndex> index_;
  FileIdentity indexFile_;  // the file index_ measured, when this decoder scanned it
  std::vector<uint8_t> scratch_;  // decoded samples nobody asked for
};
