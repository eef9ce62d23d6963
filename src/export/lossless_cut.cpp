// The frame copier of a lossless export; see lossless_cut.h.
#include "export/lossless_cut.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "export/crc16.h"
#include "export/lame_tag.h"
#include "export/mp3_frame_reader.h"
#include "export/output_file.h"
#include "export/xing_seek_table.h"

namespace {

constexpr uint64_t kProgressEveryFrames = 256;
// Copied frames are read and written in pieces of this size: large enough for
// the output to write them straight from here, small enough to show progress.
constexpr size_t kCopyBlockBytes = 512 * 1024;
constexpr size_t kId3v1Bytes = 128;

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
    case Mp3FrameReader::Status::Damaged:
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

LosslessCutResult CutLosslessly(const std::string& sourcePath, int64_t beginSample,
                                int64_t sampleCount, OutputFile& output,
                                const LosslessProgress& progress) {
  LosslessCutResult result;
  const auto fail = [&](LosslessCutError error) {
    result.error = error;
    return result;
  };
  Mp3FrameReader reader;
  Mp3FrameReader::Status status = reader.Open(sourcePath);
  if (status == Mp3FrameReader::Status::Frame) status = reader.Next();
  if (status != Mp3FrameReader::Status::Frame) return fail(ErrorOf(status));

  const Mp3FrameHeader firstHeader = reader.Header();
  const int samplesPerFrame = firstHeader.SamplesPerFrame();
  const std::optional<InfoTag> sourceTag =
      ParseInfoTag(firstHeader, reader.FrameData(), static_cast<size_t>(reader.FrameBytes()));
  LosslessPlan& plan = result.plan;
  const int phaseFrames =
      DecoderPhaseFrames(firstHeader.version == Mp3FrameHeader::Version::Mpeg1, firstHeader.mono);
  if (!PlanLosslessCut(TimelineOf(sourceTag, samplesPerFrame), samplesPerFrame, phaseFrames,
                       beginSample, sampleCount, plan)) {
    return fail(LosslessCutError::Empty);
  }
  if (const auto error = CopyFileBytes(reader, 0, reader.Id3v2Bytes(), output);
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
  const auto noteCopied = [&](const Mp3FrameHeader& header) {
    if (copiedBitrateIndex >= 0 && copiedBitrateIndex != header.bitrateIndex) oneBitrate = false;
    copiedBitrateIndex = header.bitrateIndex;
  };
  std::vector<uint8_t> block;
  uint64_t blockStart = 0;  // where the block being copied starts in the output
  // Made once: a std::function per block would allocate per block.
  const std::function<void(const Mp3FrameHeader&, size_t)> onCopiedFrame =
      [&](const Mp3FrameHeader& header, size_t at) {
        audio->AddFrameAt(blockStart + at);
        noteCopied(header);
      };
  // Without a tag frame the frame already read is the first audio frame.
  bool frameInHand = !sourceTag;
  for (int64_t index = 0; index <= plan.lastFrame; ++index) {
    if (audio) {
      // Past the first copied frame: the rest goes in blocks of whole frames.
      blockStart = output.SizeBytes();
      int64_t frames = 0;
      status = reader.NextFrames(kCopyBlockBytes, plan.lastFrame - index + 1, block, onCopiedFrame,
                                 frames);
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
    if (index < plan.firstFrame) {
      const int areaStart = header.SideInfoOffset() + header.SideInfoBytes();
      if (frameBytes > areaStart)
        tail.Append(frame + areaStart, static_cast<size_t>(frameBytes - areaStart));
    } else {
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
  const uint64_t streamBytes = audio->StreamBytes();

  // The ID3v1 tag, when the file ends in one that lies after the audio.
  if (reader.FileBytes() >= copiedEnd + kId3v1Bytes) {
    uint8_t id3v1[kId3v1Bytes];
    if (!reader.ReadAt(reader.FileBytes() - kId3v1Bytes, id3v1, kId3v1Bytes)) {
      return fail(LosslessCutError::CannotRead);
    }
    if (std::memcmp(id3v1, "TAG", 3) == 0 && !output.Write(id3v1, kId3v1Bytes)) {
      return fail(LosslessCutError::CannotWrite);
    }
  }

  InfoFrameContent content;
  content.header = infoHeader;
  content.xing = !oneBitrate;
  content.frames = static_cast<uint32_t>(audio->Frames());
  content.streamBytes = static_cast<uint32_t>(std::min<uint64_t>(streamBytes, UINT32_MAX));
  content.seekTable = audio->SeekTable().Table(streamBytes);
  content.quality = sourceTag && sourceTag->quality ? *sourceTag->quality : 0;
  content.lame = sourceTag && sourceTag->lame
                     ? *sourceTag->lame
                     : DefaultLameTagFields(content.xing, reader.Header().BitrateKbps());
  content.encoderDelay = plan.EncoderDelay(result.leadFrames);
  content.encoderPadding = plan.EncoderPadding(result.leadFrames);
  content.musicCrc = audio->MusicCrc();
  const std::vector<uint8_t> infoFrame = MakeInfoFrame(content);
  if (!output.WriteAt(infoOffset, infoFrame.data(), infoFrame.size())) {
    return fail(LosslessCutError::CannotWrite);
  }
  return result;
}
