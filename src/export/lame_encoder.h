// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The MP3 encoder library interface: five stream calls and the BE_CONFIG
// record they are configured with, answered by libmp3lame (this header's
// implementation is the only file that includes LAME).
//
// Call order for one export: beInitStream, beEncodeChunk for every chunk,
// beDeinitStream (the flush), beCloseStream after the output file is closed,
// beWriteVBRHeader with the file's path last. Result 0 means success. One
// stream exists at a time; every call comes from the UI thread.
//
// The encoder always reserves the first MP3 frame of the stream for a LAME
// Info tag; beWriteVBRHeader fills it in (frame count, encoder delay and
// padding), so decoders that honour it give back exactly the encoded samples.
// At bitrates whose frames are too small for the tag, that first frame has a
// larger bitrate than the audio frames (decoders skip it either way).
#include <cstdint>

#include "export/info_tag_frame.h"

using BE_ERR = uint32_t;
inline constexpr BE_ERR BE_ERR_SUCCESSFUL = 0;
inline constexpr BE_ERR BE_ERR_INVALID_FORMAT = 1;
inline constexpr BE_ERR BE_ERR_INVALID_FORMAT_PARAMETERS = 2;
inline constexpr BE_ERR BE_ERR_NO_MORE_HANDLES = 3;
inline constexpr BE_ERR BE_ERR_INVALID_HANDLE = 4;
inline constexpr BE_ERR BE_ERR_BUFFER_TOO_SMALL = 5;

inline constexpr uint32_t BE_CONFIG_LAME = 256;
inline constexpr int32_t BE_MP3_MODE_STEREO = 0;
inline constexpr int32_t BE_MP3_MODE_JSTEREO = 1;
inline constexpr int32_t BE_MP3_MODE_DUALCHANNEL = 2;
inline constexpr int32_t BE_MP3_MODE_MONO = 3;
inline constexpr int32_t LQP_HIGH_QUALITY = 2;
inline constexpr uint32_t MPEG1 = 1;

// The LHV1 variant of the configuration record: 332 bytes, zero-filled before
// it is set up.
struct BE_CONFIG {
  uint32_t dwConfig;  // BE_CONFIG_LAME
  struct LHV1 {
    uint32_t dwStructVersion;  // 1
    uint32_t dwStructSize;     // sizeof(BE_CONFIG)
    uint32_t dwSampleRate;     // input rate, Hz
    uint32_t dwReSampleRate;   // output rate, Hz
    int32_t nMode;             // BE_MP3_MODE_*
    uint32_t dwBitrate;        // kbit/s
    uint32_t dwMaxBitrate;     // kbit/s
    int32_t nPreset;           // LQP_*
    uint32_t dwMpegVersion;
    uint32_t dwPsyModel;
    uint32_t dwEmphasis;
    int32_t bPrivate;
    int32_t bCRC;
    int32_t bCopyright;
    int32_t bOriginal;
    int32_t bWriteVBRHeader;
    int32_t bEnableVBR;
    int32_t nVBRQuality;
    uint32_t dwVbrAbr_bps;
    int32_t nVbrMethod;
    int32_t bNoRes;
    int32_t bStrictIso;
    uint16_t nQuality;
    uint8_t btReserved[255 - 4 * sizeof(uint32_t) - sizeof(uint16_t)];
  } LHV1;
};
static_assert(sizeof(BE_CONFIG) == 332, "BE_CONFIG must keep the library's record size");

struct BeStream;
using HBE_STREAM = BeStream*;

// Opens a stream. samplesPerChunk: 16-bit samples of all channels together in
// one full chunk; outputBufferBytes: the MP3 bytes one call may produce.
BE_ERR beInitStream(const BE_CONFIG* config, uint32_t* samplesPerChunk, uint32_t* outputBufferBytes,
                    HBE_STREAM* stream);

// Encodes sampleCount interleaved samples (all channels together). On entry
// *outputBytes is the space at `output`; on return the MP3 bytes placed there.
BE_ERR beEncodeChunk(HBE_STREAM stream, uint32_t sampleCount, const int16_t* samples,
                     uint8_t* output, uint32_t* outputBytes);

// Flushes the encoder's last frames into `output` (in/out byte count as above).
BE_ERR beDeinitStream(HBE_STREAM stream, uint8_t* output, uint32_t* outputBytes);

// Releases the stream. Its Info tag is kept for beWriteVBRHeader.
BE_ERR beCloseStream(HBE_STREAM stream);

// Writes the Info tag of the last closed stream over the first frame of the
// finished file at `fileName`.
BE_ERR beWriteVBRHeader(const char* fileName);

// What the Info tag of `stream` states so far (after the flush: its final
// padding); the stream's own tag is built from it.
InfoTagFacts EncoderStreamFacts(const BeStream* stream);

// Frees a stream without keeping its tag for beWriteVBRHeader: the streams
// of a parallel export, which run on worker threads and whose tag is made
// from all of them. Each stream may be used by one thread at a time; only
// beCloseStream and beWriteVBRHeader share state between streams.
void ReleaseEncoderStream(HBE_STREAM stream);

// True when a stream of this rate and channel count is written at exactly
// `bitrateKbps`: LAME refuses some rates outright and quietly lowers the
// bitrate at others (at most 64 kbit/s at 8000 to 12000 Hz). Answers are
// remembered, so asking again costs nothing.
bool EncoderHonoursBitrate(int32_t sampleRate, int32_t channels, uint32_t bitrateKbps);

// Fills `config` the way the export sets up its MP3 stream: constant bitrate,
// no resampling, plain stereo or mono, high quality, copyright and original on.
void MakeExportEncoderConfig(BE_CONFIG& config, int32_t sampleRate, int32_t channels,
                             uint32_t bitrateKbps);
