// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// mp3io: the probe and the single PCM stream of the program.
//
// The probe decides whether a file can be worked on and describes it in an
// AudioFileInfo. The stream turns the opened file into PCM blocks starting at
// a chosen sample frame: 16-bit signed little-endian samples, Channels
// interleaved, at SampleRate, delivered in one 8192-byte buffer that is
// allocated once. There is one stream for the whole program; a consumer opens,
// reads and closes it in one go (a face over one PcmStream, pcm_stream.h).
// All calls come from one thread.
#include <cstdint>
#include <string>

#include "audio/audio_file_info.h"

class Dialogs;

inline constexpr uint32_t kAudioBlockBytes = 8192;

// The probe. Shows its own messages through `dialogs` (caption "Error", no
// icon) and returns true when the file can be used. The extension decides the
// branch: ".mp3" or ".wav" in any letter case, taken from the last "." of the
// file name itself (not of a folder). Results, with what `info` holds
// afterwards:
//
//   - another extension: false, "We can only accept mp3 and wav file", info
//     unchanged;
//   - an MP3 the decoder refuses: false, "Error while open mp3 file", info 0
//     but FileType 1;
//   - a WAV that cannot be opened: false, "Error while open wav file", info 0
//     but FileType 2;
//   - a WAV without a WAVE form, "fmt " or "data" chunk, with a format chunk
//     under 16 bytes, 0 or more than 2 channels, or rate 0: false,
//     "File Error !", info 0 but FileType 2;
//   - a WAV with bits per sample other than 16: false, "File Error !", info
//     filled;
//   - a usable file: true, no message, info complete.
//
// A WAV's LengthMs rests on the sample bytes the file really holds, even when
// its data chunk claims more. An MP3's LengthMs is the estimate its headers
// give at once (exact for a clean file with an Info tag); a scan of the file
// (Mp3Scanner) measures it. `info` is written only on the MP3 and WAV
// branches, and even a failed probe writes it: a caller that must keep the
// record of the file it already has open probes into a temporary and adopts
// it only when the probe returns true. The probe reads through readers of
// its own and keeps no file open.
bool GetAudioFileInfo(const std::string& fileName, AudioFileInfo& info, Dialogs& dialogs);

// Opens the stream so that the first block read begins at sample frame
// `start` (a start at or past the end leaves nothing to read). Uses info's
// FileType, SampleRate and Channels, never values re-read from the file. A
// stream still open is closed first. A failed open shows no message; it shows
// itself as a stream whose first read returns false, and it still needs the
// close.
bool OpenAudioStream(const std::string& fileName, AudioFileInfo info, SampleIndex start);

// Sets data to the block buffer and sizeBytes to its byte count (at most
// 8192, whole sample frames). True when a block was produced; an MP3 block may
// be empty. A WAV stream ends with the data chunk: chunks stored after it
// never come out as samples. The block stays valid and writable until the
// next read or the close.
bool ReadAudioBlock(AudioFileInfo info, uint8_t*& data, uint32_t& sizeBytes);

// Releases the stream; harmless when nothing is open.
void CloseAudioStream(AudioFileInfo info);
