// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Mp3FrameReader: the frames of an MP3 file, one after the other, as the
// decoder finds them, for copying them byte for byte.
//
// Open() reads past the ID3v2 tags at the start (their bytes are
// Id3v2Bytes()) and finds the first frame the way the decoder does: a valid
// header whose successor at the announced distance is a compatible header (or
// the file's end), searched byte by byte over at most 64 KiB of junk. From
// there frames follow each other directly. Between them the reader passes, as
// the decoder does, over tags (ID3v1, ID3v2, APEv2, Lyrics3: joined files hold
// them in the middle) and over damage: it searches the next frame the same way
// as the first and marks that frame AfterDamage(). A header of another
// version, rate or channel mode is a frame too when its successor confirms it
// (a joined part of another format). The stream ends at the file's end, at a
// frame cut short by it, or where only tags and zero bytes remain.
//
// Reads go through a 64 KiB buffer; one frame is held at a time.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "export/mp3_frame_header.h"

class BufferedFile;

class Mp3FrameReader {
 public:
  // Irregular: NextFrames stops before a frame that Next() must read (after
  // a tag, damage or at a change of format).
  enum class Status { Frame, End, Irregular, FreeFormat, NotLayer3, ReadError };

  Mp3FrameReader();
  ~Mp3FrameReader();
  Mp3FrameReader(const Mp3FrameReader&) = delete;
  Mp3FrameReader& operator=(const Mp3FrameReader&) = delete;

  // Opens the file and finds its first frame. Frame when one was found;
  // ReadError when the file cannot be read; NotLayer3 when no MPEG audio
  // frame is found or it is not layer III; FreeFormat for free format.
  Status Open(const std::string& path);

  // Reads the next frame (the first one after Open). Frame, or End,
  // ReadError.
  Status Next();
  // Makes Next() read the frame that starts at `offset`: one an earlier walk
  // of the same file found there.
  void SkipTo(uint64_t offset) { nextOffset_ = offset; }
  // True when damage lay between the frame Next() read and the one before.
  bool AfterDamage() const { return afterDamage_; }

  // Reads up to `maxFrames` whole frames at once into `block` (at most
  // `maxBytes` bytes; the frames a copy takes in one piece), each of the
  // first frame's format and following its predecessor directly, calling
  // onFrame(header, offset in block) for each; `frames` says how many. Frame
  // when at least one was read, End at the end, Irregular when Next() must
  // read the next one. Header() and FrameOffset() then describe the last of
  // them; FrameData() does not.
  Status NextFrames(size_t maxBytes, int64_t maxFrames, std::vector<uint8_t>& block,
                    const std::function<void(const Mp3FrameHeader&, size_t)>& onFrame,
                    int64_t& frames);

  const Mp3FrameHeader& Header() const { return header_; }
  const uint8_t* FrameData() const { return frame_.data(); }
  int FrameBytes() const { return header_.FrameBytes(); }
  uint64_t FrameOffset() const { return frameOffset_; }

  uint64_t Id3v2Bytes() const { return id3v2Bytes_; }
  uint64_t FileBytes() const { return fileBytes_; }

  // Reads exactly `bytes` bytes at `offset` (for copying tags); false on a
  // read error or a short file.
  bool ReadAt(uint64_t offset, uint8_t* out, size_t bytes);

 private:
  // The header at `offset`, when the file holds four bytes there.
  bool PeekHeader(uint64_t offset, uint8_t out[4]);
  // The size of the tag that starts at `offset` (ID3v1, ID3v2, APEv2 with
  // its header, Lyrics3); 0 when none does.
  uint64_t TagBytesAt(uint64_t offset);
  // The first byte from `offset` on that is not zero; the file's size when
  // none is.
  uint64_t ZerosEnd(uint64_t offset);
  bool FollowerFits(const Mp3FrameHeader& header, uint64_t offset);
  // A layer III frame of known size starts at `offset`: of the first frame's
  // format, or of another one that its successor confirms (also for the
  // first frame's format when `confirmed`: after damage).
  std::optional<Mp3FrameHeader> FrameAt(uint64_t offset, bool confirmed);
  bool Fits(const std::optional<Mp3FrameHeader>& header) const {
    return header && header->CompatibleWith(first_) && !header->FreeFormat();
  }

  std::unique_ptr<BufferedFile> file_;
  uint64_t fileBytes_ = 0;
  uint64_t id3v2Bytes_ = 0;
  uint64_t nextOffset_ = 0;
  uint64_t frameOffset_ = 0;
  bool afterDamage_ = false;
  Mp3FrameHeader first_;
  Mp3FrameHeader header_;
  std::array<uint8_t, 2048> frame_{};
};
