#pragma once
// mp3io: the probe and the single PCM stream of the program.
//
// The probe decides whether a file can be worked on and describes it in an
// AudioFileInfo. The stream turns the opened file into PCM blocks starting at
// a chosen millisecond: 16-bit signed little-endian samples, Channels
// interleaved, at SampleRate, delivered in one 8192-byte buffer that is
// allocated once. There is one stream for the whole program; a consumer opens,
// reads and closes it in one go. All calls come from the UI thread.
#include <cstdint>
#include <string>

#include "audio/audio_file_info.h"

class Dialogs;

inline constexpr uint32_t kAudioBlockBytes = 8192;

// The probe. Shows its own messages through `dialogs` (caption "Error", no
// icon) and returns true when the file can be used.
bool GetAudioFileInfo(const std::string& fileName, AudioFileInfo& info, Dialogs& dialogs);

// Opens the stream so that the first block read begins at startMs.
bool OpenAudioStream(const std::string& fileName, AudioFileInfo info, uint32_t startMs);

// Sets data to the block buffer and sizeBytes to its byte count (at most
// 8192). True when a block was produced; an MP3 block may be empty.
bool ReadAudioBlock(AudioFileInfo info, uint8_t*& data, uint32_t& sizeBytes);

// Releases the stream; harmless when nothing is open.
void CloseAudioStream(AudioFileInfo info);
