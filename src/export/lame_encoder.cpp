// SPDX-License-Identifier: GPL-3.0-or-later
// The encoder library interface over libmp3lame. LAME is set up exactly once
// per stream from the BE_CONFIG record: the input rate is also the output rate
// (otherwise LAME silently resamples low bitrates), stereo means plain stereo,
// the bitrate is constant, quality 2 is the high-quality preset, copyright and
// original are on and CRC is off. The first frame is reserved for the Info tag
// and ID3 tags are never added, so the file is MP3 frames only. Where LAME's
// frames are too small for its tag, the stream reserves a larger first frame
// itself and fills it with a tag of its own (info_tag_frame.h).
#include "export/lame_encoder.h"

#include <lame/lame.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

#include "export/crc16.h"
#include "export/info_tag_frame.h"

struct BeStream {
  struct LameDeleter {
    void operator()(lame_global_flags* flags) const { lame_close(flags); }
  };
  std::unique_ptr<lame_global_flags, LameDeleter> lame;
  int channels = 0;
  bool flushed = false;
  // The stream's own tag frame, when LAME's frames cannot hold LAME's tag:
  // reserved in front of the first bytes LAME produces, filled in on close.
  bool ownTag = false;
  std::vector<uint8_t> firstHeader;  // of the first audio frame, once seen
  uint64_t streamBytes = 0;          // everything produced, the tag frame included
  Crc16 musicCrc;                    // over the audio frames' bytes
};

namespace {

// Room for the stream's own tag frame on top of LAME's output; the largest
// such frame (MPEG-2.5 at 8000 Hz) is 216 bytes.
constexpr uint32_t kOwnTagRoomBytes = 512;

// Accounts for `produced` new bytes at `output` (space bytes there) and puts
// the reserved tag frame in front of the first ones. The new count, or -1 when
// the reserved frame does not fit.
int TakeOutput(BeStream& stream, uint8_t* output, int produced, int space) {
  if (produced <= 0) return produced;
  stream.musicCrc.Update(output, static_cast<size_t>(produced));
  if (stream.ownTag && stream.firstHeader.empty()) {
    stream.firstHeader.assign(output, output + std::min(produced, 4));
    stream.firstHeader.resize(4, 0);
    const std::vector<uint8_t> placeholder =
        MakeInfoTagFrame(stream.firstHeader.data(), InfoTagFacts{});
    if (placeholder.empty() || produced + static_cast<int>(placeholder.size()) > space) return -1;
    std::memmove(output + placeholder.size(), output, static_cast<size_t>(produced));
    std::memcpy(output, placeholder.data(), placeholder.size());
    produced += static_cast<int>(placeholder.size());
  }
  stream.streamBytes += static_cast<uint64_t>(produced);
  return produced;
}

// The tag of a stream that carries its own, for its finished state.
std::vector<uint8_t> OwnTagFrame(const BeStream& stream) {
  return MakeInfoTagFrame(stream.firstHeader.data(), EncoderStreamFacts(&stream));
}

// The Info tag of the stream closed last; beWriteVBRHeader takes only a path.
// A stream whose frames are too small to hold the tag (32 kbit/s at 48000 Hz)
// has none, and its file is complete without it.
struct SavedTag {
  bool streamClosed = false;
  std::vector<uint8_t> frame;
};

SavedTag& SavedInfoTag() {
  static SavedTag tag;
  return tag;
}

}  // namespace

BE_ERR beInitStream(const BE_CONFIG* config, uint32_t* samplesPerChunk, uint32_t* outputBufferBytes,
                    HBE_STREAM* stream) {
  if (!config || !samplesPerChunk || !outputBufferBytes || !stream) {
    return BE_ERR_INVALID_FORMAT_PARAMETERS;
  }
  *stream = nullptr;
  if (config->dwConfig != BE_CONFIG_LAME) return BE_ERR_INVALID_FORMAT;
  const auto& lhv1 = config->LHV1;
  if (lhv1.bEnableVBR) return BE_ERR_INVALID_FORMAT_PARAMETERS;
  const int channels = lhv1.nMode == BE_MP3_MODE_MONO ? 1 : 2;

  auto owned = std::make_unique<BeStream>();
  owned->lame.reset(lame_init());
  if (!owned->lame) return BE_ERR_NO_MORE_HANDLES;
  lame_global_flags* flags = owned->lame.get();
  lame_set_num_channels(flags, channels);
  lame_set_in_samplerate(flags, static_cast<int>(lhv1.dwSampleRate));
  lame_set_out_samplerate(flags, static_cast<int>(lhv1.dwReSampleRate));
  lame_set_mode(flags, channels == 1 ? MONO : STEREO);
  lame_set_VBR(flags, vbr_off);
  lame_set_brate(flags, static_cast<int>(lhv1.dwBitrate));
  lame_set_quality(flags, lhv1.nPreset == LQP_HIGH_QUALITY ? 2 : 5);
  lame_set_copyright(flags, lhv1.bCopyright ? 1 : 0);
  lame_set_original(flags, lhv1.bOriginal ? 1 : 0);
  lame_set_extension(flags, lhv1.bPrivate ? 1 : 0);
  lame_set_error_protection(flags, lhv1.bCRC ? 1 : 0);
  lame_set_emphasis(flags, static_cast<int>(lhv1.dwEmphasis));
  lame_set_bWriteVbrTag(flags, 1);
  lame_set_write_id3tag_automatic(flags, 0);
  if (lame_init_params(flags) < 0) return BE_ERR_INVALID_FORMAT_PARAMETERS;
  // LAME can encode some rates it then writes at another (it picks the output
  // rate itself when asked for one it cannot write): refuse rather than
  // produce a file at a different rate than the source.
  if (lame_get_out_samplerate(flags) != static_cast<int>(lhv1.dwSampleRate)) {
    return BE_ERR_INVALID_FORMAT_PARAMETERS;
  }

  const uint32_t framesPerChunk = static_cast<uint32_t>(lame_get_framesize(flags));
  *samplesPerChunk = framesPerChunk * static_cast<uint32_t>(channels);
  *outputBufferBytes = framesPerChunk * 5 / 4 + 7200 + kOwnTagRoomBytes;
  owned->channels = channels;
  owned->ownTag = !LameTagFitsFrame(static_cast<int>(lhv1.dwSampleRate), channels,
                                    static_cast<uint32_t>(lame_get_brate(flags)));
  *stream = owned.release();
  return BE_ERR_SUCCESSFUL;
}

BE_ERR beEncodeChunk(HBE_STREAM stream, uint32_t sampleCount, const int16_t* samples,
                     uint8_t* output, uint32_t* outputBytes) {
  if (!stream || !stream->lame || stream->flushed) return BE_ERR_INVALID_HANDLE;
  if (!outputBytes || (!samples && sampleCount > 0)) return BE_ERR_INVALID_FORMAT_PARAMETERS;
  // LAME counts samples per channel, the interface counts all of them.
  const int framesPerChannel =
      static_cast<int>(sampleCount / static_cast<uint32_t>(stream->channels));
  const int space = static_cast<int>(*outputBytes);
  const int lameSpace = std::max(space - static_cast<int>(kOwnTagRoomBytes), 0);
  int produced;
  if (stream->channels == 1) {
    produced = lame_encode_buffer(stream->lame.get(), samples, samples, framesPerChannel, output,
                                  lameSpace);
  } else {
    produced = lame_encode_buffer_interleaved(stream->lame.get(), const_cast<short*>(samples),
                                              framesPerChannel, output, lameSpace);
  }
  produced = TakeOutput(*stream, output, produced, space);
  if (produced < 0) {
    *outputBytes = 0;
    return produced == -1 ? BE_ERR_BUFFER_TOO_SMALL : BE_ERR_INVALID_FORMAT_PARAMETERS;
  }
  *outputBytes = static_cast<uint32_t>(produced);
  return BE_ERR_SUCCESSFUL;
}

BE_ERR beDeinitStream(HBE_STREAM stream, uint8_t* output, uint32_t* outputBytes) {
  if (!stream || !stream->lame || stream->flushed) return BE_ERR_INVALID_HANDLE;
  if (!outputBytes) return BE_ERR_INVALID_FORMAT_PARAMETERS;
  const int space = static_cast<int>(*outputBytes);
  const int lameSpace = std::max(space - static_cast<int>(kOwnTagRoomBytes), 0);
  const int produced =
      TakeOutput(*stream, output, lame_encode_flush(stream->lame.get(), output, lameSpace), space);
  stream->flushed = true;
  if (produced < 0) {
    *outputBytes = 0;
    return BE_ERR_BUFFER_TOO_SMALL;
  }
  *outputBytes = static_cast<uint32_t>(produced);
  return BE_ERR_SUCCESSFUL;
}

BE_ERR beCloseStream(HBE_STREAM stream) {
  if (!stream) return BE_ERR_INVALID_HANDLE;
  std::unique_ptr<BeStream> owned(stream);
  SavedTag& saved = SavedInfoTag();
  saved.streamClosed = owned->lame && owned->flushed;
  std::vector<uint8_t>& tag = saved.frame;
  tag.clear();
  if (saved.streamClosed) {
    // The tag describes the whole stream, so it can only be made after the
    // flush; asking with no buffer tells its size.
    const size_t bytes = lame_get_lametag_frame(owned->lame.get(), nullptr, 0);
    if (owned->ownTag) {
      // A stream without audio frames has no tag; LAME writing its own tag
      // after all would leave two, so that stream fails.
      if (!owned->firstHeader.empty()) tag = OwnTagFrame(*owned);
      if (bytes > 0 || (!owned->firstHeader.empty() && tag.empty())) saved.streamClosed = false;
    } else if (bytes > 0) {
      tag.resize(bytes);
      if (lame_get_lametag_frame(owned->lame.get(), tag.data(), tag.size()) != bytes) {
        saved.streamClosed = false;
      }
    }
  }
  return BE_ERR_SUCCESSFUL;
}

BE_ERR beWriteVBRHeader(const char* fileName) {
  SavedTag saved;
  std::swap(saved, SavedInfoTag());
  if (!fileName || !saved.streamClosed) return BE_ERR_INVALID_FORMAT_PARAMETERS;
  const std::vector<uint8_t>& tag = saved.frame;
  if (tag.empty()) return BE_ERR_SUCCESSFUL;
  std::FILE* file = std::fopen(fileName, "r+b");
  if (!file) return BE_ERR_INVALID_HANDLE;
  // The reserved frame is the first of the file (no ID3v2 tag is written before
  // it); it has exactly the tag's size, which is checked against the file.
  bool ok = std::fseek(file, 0, SEEK_END) == 0 &&
            std::ftell(file) >= static_cast<long>(tag.size()) &&
            std::fseek(file, 0, SEEK_SET) == 0 &&
            std::fwrite(tag.data(), 1, tag.size(), file) == tag.size();
  if (std::fclose(file) != 0) ok = false;
  return ok ? BE_ERR_SUCCESSFUL : BE_ERR_INVALID_HANDLE;
}

InfoTagFacts EncoderStreamFacts(const BeStream* stream) {
  lame_global_flags* flags = stream->lame.get();
  InfoTagFacts facts;
  facts.audioFrames = static_cast<uint32_t>(lame_get_frameNum(flags));
  facts.streamBytes = static_cast<uint32_t>(std::min<uint64_t>(stream->streamBytes, UINT32_MAX));
  facts.encoderDelay = lame_get_encoder_delay(flags);
  facts.padding = lame_get_encoder_padding(flags);
  facts.bitrateKbps = static_cast<uint32_t>(lame_get_brate(flags));
  facts.lowpassHz = lame_get_lowpassfreq(flags);
  facts.quality = 100 - 10 * lame_get_VBR_q(flags) - lame_get_quality(flags);
  facts.musicCrc = stream->musicCrc.Value();
  return facts;
}

void ReleaseEncoderStream(HBE_STREAM stream) { delete stream; }

bool EncoderHonoursBitrate(int32_t sampleRate, int32_t channels, uint32_t bitrateKbps) {
  static std::map<std::tuple<int32_t, int32_t, uint32_t>, bool> known;
  const auto key = std::make_tuple(sampleRate, channels, bitrateKbps);
  if (const auto found = known.find(key); found != known.end()) return found->second;
  BE_CONFIG config;
  MakeExportEncoderConfig(config, sampleRate, channels, bitrateKbps);
  uint32_t samplesPerChunk = 0;
  uint32_t outputBufferBytes = 0;
  HBE_STREAM stream = nullptr;
  bool honoured = false;
  if (beInitStream(&config, &samplesPerChunk, &outputBufferBytes, &stream) == BE_ERR_SUCCESSFUL) {
    // Released directly: closing through beCloseStream would replace the
    // Info tag an export may still have to write.
    const std::unique_ptr<BeStream> owned(stream);
    honoured = lame_get_brate(owned->lame.get()) == static_cast<int>(bitrateKbps);
  }
  known.emplace(key, honoured);
  return honoured;
}

void MakeExportEncoderConfig(BE_CONFIG& config, int32_t sampleRate, int32_t channels,
                             uint32_t bitrateKbps) {
  std::memset(&config, 0, sizeof config);
  config.dwConfig = BE_CONFIG_LAME;
  auto& lhv1 = config.LHV1;
  lhv1.dwStructVersion = 1;
  lhv1.dwStructSize = sizeof(BE_CONFIG);
  lhv1.dwSampleRate = static_cast<uint32_t>(sampleRate);
  lhv1.dwReSampleRate = static_cast<uint32_t>(sampleRate);
  lhv1.nMode = channels == 1 ? BE_MP3_MODE_MONO : BE_MP3_MODE_STEREO;
  lhv1.dwBitrate = bitrateKbps;
  lhv1.dwMaxBitrate = bitrateKbps;
  lhv1.nPreset = LQP_HIGH_QUALITY;
  lhv1.dwMpegVersion = MPEG1;
  lhv1.bCopyright = -1;
  lhv1.bOriginal = -1;
}
