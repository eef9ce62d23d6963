// SPDX-License-Identifier: GPL-3.0-or-later
// The frame copier of a lossless export; see lossless_cut.h.
#include "export/lossless_cut.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

#include "base/rounding.h"
#include "export/crc16.h"
#include "export/lame_tag.h"
#include "export/lossless_tags.h"
#include "export/mp3_frame_reader.h"
#include "export/output_file.h"
#include "export/xing_seek_table.h"

namespace {

constexpr uint64_t kProgressEveryFrames = 256;
// Copied frames are read and written in pieces of this size: large enough for
// the output to write them straight from here, small enough to show progress.
constexpr size_t kCopyBlockBytes = 512 * 1024;
// ID3v2 tags up to this size are read whole to set their length frame;
// larger ones (pictures of many megabytes) are copied as they are.
constexpr uint64_t kMaxEditedId3v2Bytes = 64 * 1024 * 1024;

// The last bytes of the main-data areas walked so far: the bit reservoir that
// the next frame's main_data_begin reaches back into (at most 511 bytes).
class ReservoirTail {
 public:
  void Append(const uint8_t* data, size_t bytes) {
    if (bytes >= kCapacity) {
      std::memcpy(bytes_.data(), data + bytes - kCapacity, kCapacity);
      have_ = kCapacity;
      return;
    }
    const size_t keep = std::min(have_, kCapacity - bytes);
    std::memmove(bytes_.data(), bytes_.data() + have_ - keep, keep);
    std::memcpy(bytes_.data() + keep, data, bytes);
    have_ = keep + bytes;
  }

  // The last `count` bytes into out[0..count); zeros in front of what a
  // stream that starts in the middle of its reservoir never had.
  void CopyLast(size_t count, uint8_t* out) const {
    const size_t have = std::min(count, have_);
    std::memset(out, 0, count - have);
    std::memcpy(out + count - have, bytes_.data() + have_ - have, have);
  }

 private:
  static constexpr size_t kCapacity = 512;
  std::array<uint8_t, kCapacity> bytes_{};
  size_t have_ = 0;
};

LosslessCutError ErrorOf(Mp3FrameReader::Status status) {
  switch (status) {
    case Mp3FrameReader::Status::ReadError:
      return LosslessCutError::CannotRead;
    case Mp3FrameReader::Status::FreeFormat:
      return LosslessCutError::FreeFormat;
    case Mp3FrameReader::Status::Irregular:
      return LosslessCutError::Damaged;
    default:
      return LosslessCutError::NotLayer3;
  }
}

LosslessCutError CopyFileBytes(Mp3FrameReader& reader, uint64_t offset, uint64_t bytes,
                               OutputFile& output) {
  std::vector<uint8_t> buffer(static_cast<size_t>(std::min<uint64_t>(bytes, 64 * 1024)));
  while (bytes > 0) {
    const size_t count = static_cast<size_t>(std::min<uint64_t>(bytes, buffer.size()));
    if (!reader.ReadAt(offset, buffer.data(), count)) return LosslessCutError::CannotRead;
    if (!output.Write(buffer.data(), count)) return LosslessCutError::CannotWrite;
    offset += count;
    bytes -= count;
  }
  return LosslessCutError::None;
}

// A frame of zero granules that ends with `reservoirBytes` bytes of the
// source's bit reservoir.
std::vector<uint8_t> MakeLeadFrame(const Mp3FrameHeader& like, int reservoirBytes,
                                   const ReservoirTail& tail) {
  const Mp3FrameHeader header =
      like.MadeWithBitrate(SmallestBitrateIndexFor(like, reservoirBytes).value_or(14));
  std::vector<uint8_t> frame(static_cast<size_t>(header.FrameBytes()), 0);
  header.Write(frame.data());
  tail.CopyLast(static_cast<size_t>(reservoirBytes), frame.data() + frame.size() - reservoirBytes);
  return frame;
}

// An Xing, Info or VBRI frame inside the stream (a joined file's) plays as a
// frame of silence: copied as such, its header kept, everything after it
// zeros (no granule bits), so no player takes it for a tag.
bool IsHeaderFrame(const Mp3FrameHeader& header, const uint8_t* frame) {
  return ParseInfoTag(header, frame, static_cast<size_t>(header.FrameBytes())).has_value();
}
void Silence(const Mp3FrameHeader& header, uint8_t* frame) {
  std::memset(frame + header.SideInfoOffset(), 0,
              static_cast<size_t>(header.FrameBytes() - header.SideInfoOffset()));
}

// The frames of a file as the decoder counts them (the frames after a tag
// frame), walked before anything is written.
struct FrameCensus {
  int samplesPerFrame = 1152;
  int64_t frames = 0;
  int64_t formatChange = -1;     // the first frame of another version, rate or mode
  std::vector<int64_t> damaged;  // frames that follow damage
  // Where every kOffsetEveryFrames-th frame starts, so that a cut can begin
  // its walk near its piece.
  std::vector<uint64_t> offsets;
};

// A cut of a later piece starts its walk this many frames before its first
// frame: enough main-data bytes pass to fill the bit reservoir (511 bytes at
// most; a frame carries at least some 50) at every rate and bitrate.
constexpr int64_t kReservoirWalkFrames = 64;
constexpr int64_t kOffsetEveryFrames = 64;

LosslessCutError TakeCensus(const std::string& path, FrameCensus& census,
                            std::optional<InfoTag>& tag) {
  Mp3FrameReader reader;
  Mp3FrameReader::Status status = reader.Open(path);
  if (status == Mp3FrameReader::Status::Frame) status = reader.Next();
  if (status != Mp3FrameReader::Status::Frame) return ErrorOf(status);
  const Mp3FrameHeader first = reader.Header();
  census.samplesPerFrame = first.SamplesPerFrame();
  tag = ParseInfoTag(first, reader.FrameData(), static_cast<size_t>(reader.FrameBytes()));
  if (tag) status = reader.Next();
  for (; status == Mp3FrameReader::Status::Frame; status = reader.Next()) {
    if (census.formatChange < 0 && !reader.Header().CompatibleWith(first)) {
      census.formatChange = census.frames;
    }
    if (reader.AfterDamage()) census.damaged.push_back(census.frames);
    if (census.frames % kOffsetEveryFrames == 0) census.offsets.push_back(reader.FrameOffset());
    ++census.frames;
  }
  return status == Mp3FrameReader::Status::End ? LosslessCutError::None : ErrorOf(status);
}

// Writes the audio frames after the Info frame and keeps what its tag states.
class AudioWriter {
 public:
  AudioWriter(OutputFile& output, uint64_t streamStart) : output_(output), start_(streamStart) {}

  bool Write(const uint8_t* frame, int bytes) {
    AddFrameAt(output_.SizeBytes());
    return WriteFrames(frame, static_cast<size_t>(bytes));
  }
  // A frame that will start at `outputOffset`, for the seek table.
  void AddFrameAt(uint64_t outputOffset) { seekTable_.AddFrame(outputOffset - start_); }
  // Whole frames, already counted with AddFrameAt.
  bool WriteFrames(const uint8_t* frames, size_t bytes) {
    crc_.Update(frames, bytes);
    return output_.Write(frames, bytes);
  }

  uint64_t Frames() const { return seekTable_.Frames(); }
  uint64_t Start() const { return start_; }
  uint64_t StreamBytes() const { return output_.SizeBytes() - start_; }
  const XingSeekTable& SeekTable() const { return seekTable_; }
  uint16_t MusicCrc() const { return crc_.Value(); }

 private:
  OutputFile& output_;
  uint64_t start_;
  XingSeekTable seekTable_;
  Crc16 crc_;
};

}  // namespace

struct LosslessCensus {
  LosslessCutError error = LosslessCutError::None;
  FrameCensus census;
  std::optional<InfoTag> tag;
};

std::shared_ptr<const LosslessCensus> TakeLosslessCensus(const std::string& sourcePath) {
  auto walk = std::make_shared<LosslessCensus>();
  walk->error = TakeCensus(sourcePath, walk->census, walk->tag);
  return walk;
}

LosslessCutResult CutLosslessly(const std::string& sourcePath, int64_t beginSample,
                                int64_t sampleCount, OutputFile& output,
                                const LosslessProgress& progress, const LosslessCensus* walk) {
  LosslessCutResult result;
  const auto fail = [&](LosslessCutError error) {
    result.error = error;
    return result;
  };
  // First the walk: where the piece's frames lie on the decoder's count of
  // the whole file, and whether they can be copied as one stream.
  LosslessCensus own;
  if (!walk) {
    own.error = TakeCensus(sourcePath, own.census, own.tag);
    walk = &own;
  }
  if (walk->error != LosslessCutError::None) return fail(walk->error);
  const FrameCensus& census = walk->census;
  const std::optional<InfoTag>& sourceTag = walk->tag;
  Mp3FrameReader reader;
  Mp3FrameReader::Status status = reader.Open(sourcePath);
  if (status == Mp3FrameReader::Status::Frame) status = reader.Next();
  if (status != Mp3FrameReader::Status::Frame) return fail(ErrorOf(status));

  const Mp3FrameHeader firstHeader = reader.Header();
  const int samplesPerFrame = firstHeader.SamplesPerFrame();
  LosslessPlan& plan = result.plan;
  const int phaseFrames =
      DecoderPhaseFrames(firstHeader.version == Mp3FrameHeader::Version::Mpeg1, firstHeader.mono);
  const SourceTimeline timeline =
      WithFrameCount(TimelineOf(sourceTag, samplesPerFrame), census.frames, samplesPerFrame);
  if (!PlanLosslessCut(timeline, samplesPerFrame, phaseFrames, beginSample, sampleCount, plan)) {
    return fail(LosslessCutError::Empty);
  }
  if (census.formatChange >= 0 && census.formatChange <= plan.lastFrame) {
    const int64_t at = census.formatChange * samplesPerFrame;
    result.atSample = std::max<int64_t>(
        0, at - timeline.skipSamples - (at >= timeline.dropAt ? timeline.dropSamples : 0));
    return fail(LosslessCutError::FormatChange);
  }
  if (plan.acrossDrop && !plan.toStreamEnd) {
    result.atSample = timeline.dropAt - timeline.skipSamples;
    return fail(LosslessCutError::AcrossJoin);
  }
  for (const int64_t frame : census.damaged) {
    if (frame > plan.firstFrame && frame <= plan.lastFrame) return fail(LosslessCutError::Damaged);
  }

  // The ID3v2 tags, their length frame set to the piece's.
  if (reader.Id3v2Bytes() <= kMaxEditedId3v2Bytes) {
    std::vector<uint8_t> tags(static_cast<size_t>(reader.Id3v2Bytes()));
    if (!reader.ReadAt(0, tags.data(), tags.size())) return fail(LosslessCutError::CannotRead);
    SetId3v2Length(tags, static_cast<int64_t>(RoundHalfEven(static_cast<double>(plan.pieceSamples) *
                                                            1000.0 / firstHeader.sampleRate)));
    if (!output.Write(tags.data(), tags.size())) return fail(LosslessCutError::CannotWrite);
  } else if (const auto error = CopyFileBytes(reader, 0, reader.Id3v2Bytes(), output);
             error != LosslessCutError::None) {
    return fail(error);
  }

  ReservoirTail tail;
  std::optional<AudioWriter> audio;
  uint64_t infoOffset = 0;
  Mp3FrameHeader infoHeader;
  int copiedBitrateIndex = -1;
  bool oneBitrate = true;
  uint64_t copiedEnd = 0;
  // What the tag states of the output's first part, when it ends before the
  // stream does (across the drop).
  std::optional<InfoFrameContent> firstPart;
  const auto noteCopied = [&](const Mp3FrameHeader& header) {
    if (copiedBitrateIndex >= 0 && copiedBitrateIndex != header.bitrateIndex) oneBitrate = false;
    copiedBitrateIndex = header.bitrateIndex;
  };
  const auto partContent = [&]() {
    InfoFrameContent content;
    content.xing = !oneBitrate;
    content.frames = static_cast<uint32_t>(audio->Frames());
    const uint64_t streamBytes = audio->StreamBytes();
    content.streamBytes = static_cast<uint32_t>(std::min<uint64_t>(streamBytes, UINT32_MAX));
    content.seekTable = audio->SeekTable().Table(streamBytes);
    content.musicCrc = audio->MusicCrc();
    return content;
  };
  std::vector<uint8_t> block;
  uint64_t blockStart = 0;  // where the block being copied starts in the output
  // Made once: a std::function per block would allocate per block.
  const std::function<void(const Mp3FrameHeader&, size_t)> onCopiedFrame =
      [&](const Mp3FrameHeader& header, size_t at) {
        if (IsHeaderFrame(header, block.data() + at)) Silence(header, block.data() + at);
        audio->AddFrameAt(blockStart + at);
        noteCopied(header);
      };
  std::array<uint8_t, 2048> silenced{};
  // Without a tag frame the frame already read is the first audio frame.
  bool frameInHand = !sourceTag;
  bool irregular = false;  // the next frame is read alone
  // A piece far into the file: the walk starts a little before it, at a
  // frame the census found (the frames before it only fill the reservoir).
  int64_t startIndex = 0;
  if (const int64_t from = (plan.firstFrame - kReservoirWalkFrames) / kOffsetEveryFrames;
      plan.firstFrame > kReservoirWalkFrames && from > 0 &&
      from < static_cast<int64_t>(census.offsets.size())) {
    startIndex = from * kOffsetEveryFrames;
    reader.SkipTo(census.offsets[static_cast<size_t>(from)]);
    frameInHand = false;
  }
  for (int64_t index = startIndex; index <= plan.lastFrame; ++index) {
    if (plan.acrossDrop && index == plan.announcedFrames && audio && !firstPart) {
      firstPart = partContent();
    }
    if (audio && !irregular) {
      // Past the first copied frame: the rest goes in blocks of whole frames,
      // a block ending where the output's first part does.
      blockStart = output.SizeBytes();
      int64_t frames = 0;
      int64_t most = plan.lastFrame - index + 1;
      if (plan.acrossDrop && index < plan.announcedFrames)
        most = std::min(most, plan.announcedFrames - index);
      status = reader.NextFrames(kCopyBlockBytes, most, block, onCopiedFrame, frames);
      if (status == Mp3FrameReader::Status::Irregular) {
        irregular = true;
        --index;
        continue;
      }
      if (status == Mp3FrameReader::Status::End) {
        if (!EndPlanAtFrames(index, plan)) return fail(LosslessCutError::Empty);
        break;
      }
      if (status != Mp3FrameReader::Status::Frame) return fail(ErrorOf(status));
      if (!audio->WriteFrames(block.data(), block.size()))
        return fail(LosslessCutError::CannotWrite);
      copiedEnd = reader.FrameOffset() + static_cast<uint64_t>(reader.FrameBytes());
      index += frames - 1;
      if (progress)
        progress(static_cast<uint64_t>(index + 1), static_cast<uint64_t>(plan.lastFrame + 1));
      continue;
    }
    irregular = false;
    if (!frameInHand) {
      status = reader.Next();
      if (status == Mp3FrameReader::Status::End) {
        if (!EndPlanAtFrames(index, plan)) return fail(LosslessCutError::Empty);
        break;
      }
      if (status != Mp3FrameReader::Status::Frame) return fail(ErrorOf(status));
    }
    frameInHand = false;
    const Mp3FrameHeader& header = reader.Header();
    const uint8_t* frame = reader.FrameData();
    const int frameBytes = reader.FrameBytes();
    if (index > plan.firstFrame && reader.AfterDamage()) return fail(LosslessCutError::Damaged);
    if (index < plan.firstFrame) {
      const int areaStart = header.SideInfoOffset() + header.SideInfoBytes();
      if (frameBytes > areaStart)
        tail.Append(frame + areaStart, static_cast<size_t>(frameBytes - areaStart));
    } else {
      if (IsHeaderFrame(header, frame)) {
        std::copy_n(frame, frameBytes, silenced.begin());
        Silence(header, silenced.data());
        frame = silenced.data();
      }
      if (index == plan.firstFrame) {
        const int mainDataBegin = MainDataBegin(header, frame);
        result.leadFrames = plan.LeadFrames(mainDataBegin);
        infoHeader = header.MadeWithBitrate(
            std::max(InfoFrameBitrateIndex(header).value_or(14), header.bitrateIndex));
        infoOffset = output.SizeBytes();
        const std::vector<uint8_t> placeholder(static_cast<size_t>(infoHeader.FrameBytes()), 0);
        if (!output.Write(placeholder.data(), placeholder.size())) {
          return fail(LosslessCutError::CannotWrite);
        }
        audio.emplace(output, infoOffset);
        for (int lead = 1; lead <= result.leadFrames; ++lead) {
          // Only the last lead frame carries the reservoir.
          const bool carrier = lead == result.leadFrames && plan.firstFrame > 0;
          const std::vector<uint8_t> leadFrame =
              MakeLeadFrame(header, carrier ? mainDataBegin : 0, tail);
          if (!audio->Write(leadFrame.data(), static_cast<int>(leadFrame.size()))) {
            return fail(LosslessCutError::CannotWrite);
          }
        }
        result.copiedSourceOffset = reader.FrameOffset();
        result.copiedOutputOffset = output.SizeBytes();
      }
      if (!audio->Write(frame, frameBytes)) return fail(LosslessCutError::CannotWrite);
      noteCopied(header);
      copiedEnd = reader.FrameOffset() + static_cast<uint64_t>(frameBytes);
    }
    if (progress && index % kProgressEveryFrames == 0) {
      progress(static_cast<uint64_t>(index), static_cast<uint64_t>(plan.lastFrame + 1));
    }
  }
  if (!audio) return fail(LosslessCutError::Empty);
  result.copiedBytes = copiedEnd - result.copiedSourceOffset;

  InfoFrameContent content = firstPart ? *firstPart : partContent();
  // The tags after the audio (APEv2, Lyrics3, ID3v1), as they are.
  const uint64_t endTags = EndTagsOffset(reader, copiedEnd);
  if (const auto error = CopyFileBytes(reader, endTags, reader.FileBytes() - endTags, output);
      error != LosslessCutError::None) {
    return fail(error);
  }

  content.header = infoHeader;
  content.quality = sourceTag && sourceTag->quality ? *sourceTag->quality : 0;
  content.lame = sourceTag && sourceTag->lame
                     ? *sourceTag->lame
                     : DefaultLameTagFields(content.xing, reader.Header().BitrateKbps());
  content.encoderDelay = plan.EncoderDelay(result.leadFrames);
  content.encoderPadding = plan.EncoderPadding(result.leadFrames);
  const std::vector<uint8_t> infoFrame = MakeInfoFrame(content);
  if (!output.WriteAt(infoOffset, infoFrame.data(), infoFrame.size())) {
    return fail(LosslessCutError::CannotWrite);
  }
  return result;
}

int64_t LosslessCutSamples(const std::string& path) {
  FrameCensus census;
  std::optional<InfoTag> tag;
  if (TakeCensus(path, census, tag) != LosslessCutError::None || !tag || !tag->frames ||
      census.formatChange >= 0 || !census.damaged.empty()) {
    return -1;
  }
  const int samplesPerFrame = census.samplesPerFrame;
  return WithFrameCount(TimelineOf(tag, samplesPerFrame), census.frames, samplesPerFrame).Length();
}
