// SPDX-License-Identifier: GPL-3.0-or-later
// WAV files, built byte by byte, from the RIFF reader up to the probe and the stream.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "audio/mp3io.h"
#include "audio/peak_source.h"
#include "audio/riff_reader.h"
#include "support/riff_bytes.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"

namespace {

Bytes PlainWav(const WavFormatFields& format, size_t dataBytes, uint8_t first = 0) {
  return RiffWaveBytes(
      {FormatChunkBytes(format), RiffChunkBytes("data", CountingBytes(dataBytes, first))});
}
AudioFileInfo WavInfo(int32_t rate, int32_t channels, int32_t bitrate, int32_t lengthMs,
                      int64_t frames = 0) {
  AudioFileInfo info = MakeInfo(AudioFileInfo::kTypeWav, rate, channels, lengthMs, bitrate);
  info.LengthFrames = SampleIndex(frames);
  return info;
}

class Wav : public ::testing::Test {
 protected:
  std::string Write(const Bytes& bytes, const std::string& name = "a.wav") {
    WriteBytesToFile(dir_.File(name), bytes);
    return dir_.File(name);
  }
  // Into a record filled with a marker, so that "unchanged" shows.
  bool Probe(const std::string& path) {
    dialogs_.messages.clear();
    info_ = {7, 7, 7, 7, 7, SampleIndex(7)};
    return GetAudioFileInfo(path, info_, dialogs_);
  }
  // Reads the whole stream from `startFrame`, then closes it; `sizes` gets every block's size.
  Bytes Stream(const std::string& path, int64_t startFrame,
               std::vector<uint32_t>* sizes = nullptr) {
    Bytes out;
    OpenAudioStream(path, info_, SampleIndex(startFrame));
    uint8_t* data = nullptr;
    uint32_t bytes = 0;
    while (ReadAudioBlock(info_, data, bytes)) {
      out.insert(out.end(), data, data + bytes);
      if (sizes) sizes->push_back(bytes);
    }
    CloseAudioStream(info_);
    EXPECT_FALSE(ReadAudioBlock(info_, data, bytes)) << "a closed stream yields nothing";
    return out;
  }
  std::string Message() const {
    return dialogs_.messages.size() == 1 ? dialogs_.messages[0].text : "?";
  }
  TempDir dir_;
  RiffReader reader_;
  ScriptedDialogs dialogs_;
  AudioFileInfo info_;
};

// Chunks are found in any order, past odd padding, and only inside the RIFF;
// reads and seeks stay inside the file and need an open one.
TEST_F(Wav, RiffChunkSearchReadsAndSeeks) {
  Bytes bytes = RiffWaveBytes(
      {RiffChunkBytes("LIST", CountingBytes(5)), RiffChunkBytes("fmt ", CountingBytes(3, 20))});
  const Bytes outside = RiffChunkBytes("data", CountingBytes(8));
  bytes.insert(bytes.end(), outside.begin(), outside.end());
  RiffChunk riff, fmt, data;
  uint8_t buffer[16];
  EXPECT_FALSE(reader_.Open(dir_.File("missing.wav")));
  EXPECT_FALSE(reader_.Open(dir_.path().string()));
  EXPECT_FALSE(reader_.DescendRiff(MakeFourCC("WAVE"), riff));
  EXPECT_FALSE(reader_.DescendChunk(MakeFourCC("data"), riff, riff));
  EXPECT_EQ(reader_.Read(buffer, 4), -1);
  EXPECT_FALSE(reader_.Seek(0));
  ASSERT_TRUE(reader_.Open(Write(bytes)));
  ASSERT_TRUE(reader_.DescendRiff(MakeFourCC("WAVE"), riff));
  EXPECT_EQ(riff.dataOffset, 12);
  ASSERT_TRUE(reader_.DescendChunk(MakeFourCC("fmt "), riff, fmt));
  EXPECT_EQ(fmt.dataOffset, 12 + 14 + 8);  // after LIST: 8 + 5 + pad
  ASSERT_EQ(reader_.Read(buffer, 3), 3);
  EXPECT_EQ(buffer[2], 22);
  ASSERT_TRUE(reader_.Seek(riff.dataOffset));
  EXPECT_FALSE(reader_.DescendChunk(MakeFourCC("data"), riff, data));
  ASSERT_TRUE(reader_.Open(Write(CountingBytes(10), "b.wav")));
  EXPECT_EQ(reader_.FileSizeBytes(), 10);
  EXPECT_TRUE(reader_.Seek(6));
  EXPECT_EQ(reader_.Read(buffer, 16), 4);
  EXPECT_EQ(buffer[0], 6);
  EXPECT_EQ(reader_.Read(buffer, 16), 0);
  EXPECT_FALSE(reader_.Seek(11));
  EXPECT_FALSE(reader_.Seek(-1));
  EXPECT_TRUE(reader_.Seek(10));
}

TEST_F(Wav, RiffReachesChunksBeyondTwoGigabytesOfOffset) {
  const uint32_t junkBytes = 0xE0000000u;  // a sparse JUNK chunk, then the data chunk
  Bytes head = RiffWaveBytes({RiffChunkBytes("JUNK", {}, junkBytes)});
  head[4] = head[5] = head[6] = head[7] = 0xFF;
  const std::string path = Write(head);
  std::filesystem::resize_file(path, head.size() + junkBytes);
  const Bytes data = RiffChunkBytes("data", CountingBytes(4, 7));
  std::ofstream(path, std::ios::binary | std::ios::app)
      .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  RiffChunk riff, chunk;
  uint8_t first = 0;  // the data's first byte
  ASSERT_TRUE(reader_.Open(path) && reader_.DescendRiff(MakeFourCC("WAVE"), riff));
  ASSERT_TRUE(reader_.DescendChunk(MakeFourCC("data"), riff, chunk));
  ASSERT_EQ(reader_.Read(&first, 1), 1);
  EXPECT_EQ(chunk.dataOffset, 12 + 8 + int64_t{junkBytes} + 8);
  EXPECT_EQ(first, 7);
}

// The record the probe gives, or "File Error !" (never a division by zero or a hang); the
// waveform's and the parallel encoder's reader open what the probe takes, and nothing else.
struct WavCase {
  const char* name;
  Bytes bytes;
  AudioFileInfo expected;
  bool usable = true;
};
class WavProbe : public Wav, public ::testing::WithParamInterface<WavCase> {};

TEST_P(WavProbe, GivesTheRecordOrRefusesTheFile) {
  const std::string path = Write(GetParam().bytes);
  EXPECT_EQ(Probe(path), GetParam().usable);
  EXPECT_EQ(info_, GetParam().expected);
  EXPECT_EQ(OpenPeakSource(path, GetParam().expected, PeakRate::Full) != nullptr,
            GetParam().usable);
  EXPECT_EQ(Message(), GetParam().usable ? "?" : "File Error !");
}

const AudioFileInfo kRefused = MakeInfo(AudioFileInfo::kTypeWav, 0, 0);
WavCase Refused(const char* name, Bytes bytes) { return {name, std::move(bytes), kRefused, false}; }
WavCase Mono(const char* name, uint32_t rate, uint16_t formatBytes, size_t dataBytes,
             AudioFileInfo expected) {
  return {name,
          PlainWav({.channels = 1, .sampleRate = rate, .formatBytes = formatBytes}, dataBytes),
          expected};
}

INSTANTIATE_TEST_SUITE_P(
    Files, WavProbe,
    ::testing::Values(
        WavCase{"Stereo44100", PlainWav({}, 176400), WavInfo(44100, 2, 1378, 1000, 44100)},
        // 8000 Hz mono: 16 bytes a ms; 8 bytes is half of one (0), 24 one and a half (2); the
        // frames are exact, a torn last one left out.
        Mono("HalfMsDown", 8000, 16, 8, WavInfo(8000, 1, 125, 0, 4)),
        Mono("HalfMsUp", 8000, 16, 25, WavInfo(8000, 1, 125, 2, 12)),
        Mono("Format18", 22050, 18, 44100, WavInfo(22050, 1, 344, 1000, 22050)),
        // A recording cut short: the data chunk claims 10 s, the file holds 1 s.
        WavCase{"DataLongerThanTheFile",
                RiffWaveBytes({FormatChunkBytes({}),
                               RiffChunkBytes("data", CountingBytes(176400), 1764000)}),
                WavInfo(44100, 2, 1378, 1000, 44100)},
        // Other bit depths and MP3 data: refused with the fields filled.
        WavCase{"EightBits", PlainWav({.bitsPerSample = 8}, 176400),
                WavInfo(44100, 2, 1378, 1000, 44100), false},
        WavCase{"Mp3In16Bits", PlainWav({.formatTag = 0x55}, 176400),
                WavInfo(44100, 2, 1378, 1000, 44100), false},
        Refused("NoRiff", CountingBytes(400)),
        Refused("NoData", RiffWaveBytes({FormatChunkBytes({})})),
        Refused("Format14", PlainWav({.formatBytes = 14}, 400)),
        Refused("ZeroRate", PlainWav({.sampleRate = 0}, 400)),
        Refused("RateBeyondInt32", PlainWav({.sampleRate = 0x80000000u}, 400)),
        WavCase{"RateAtInt32Max", PlainWav({.sampleRate = 0x7FFFFFFFu}, 400),
                WavInfo(0x7FFFFFFF, 2, 0x01FFFFFF, 0, 100)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Wav, UnopenablePathsAreReportedAndNoFileIsKeptOpen) {
  const auto openFiles = [] {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                         std::filesystem::directory_iterator());
  };
  const auto before = openFiles();
  std::filesystem::create_directory(dir_.File("folder.wav"));
  for (const std::string& path : {dir_.File("missing.wav"), dir_.File("folder.wav")}) {
    EXPECT_FALSE(Probe(path));
    EXPECT_EQ(Message(), "Error while open wav file");
    EXPECT_EQ(info_, kRefused);
  }
  Probe(Write(PlainWav({}, 400)));
  Probe(Write(PlainWav({.bitsPerSample = 8}, 400)));
  EXPECT_EQ(openFiles(), before);
  // A named pipe would wait for a writer forever: the alarm fails a probe that waits.
  for (const char* name : {"pipe.wav", "pipe.mp3"}) {
    ASSERT_EQ(::mkfifo(dir_.File(name).c_str(), 0600), 0);
    EXPECT_EXIT((::alarm(5), ::_exit(Probe(dir_.File(name)) || dialogs_.messages.size() != 1)),
                ::testing::ExitedWithCode(0), "");
  }
}

// 8192-byte blocks from the start frame to the bytes present and the last whole frame.
TEST_F(Wav, StreamGivesTheDataFromTheStartFrameToTheLastWholeFrame) {
  const Bytes samples = CountingBytes(3 * 8192 + 102, 3);
  const std::string path =
      Write(RiffWaveBytes({FormatChunkBytes({}), RiffChunkBytes("data", samples, 1000000)}));
  info_ = WavInfo(44100, 2, 0, 0);
  std::vector<uint32_t> sizes;
  const auto wholeFramesFrom = [&](size_t at) {
    return Bytes(samples.begin() + at, samples.end() - 2);
  };
  EXPECT_EQ(Stream(path, 0, &sizes), wholeFramesFrom(0));
  EXPECT_EQ(sizes, (std::vector<uint32_t>{8192, 8192, 8192, 100}));
  EXPECT_EQ(Stream(path, 220), wholeFramesFrom(220 * 4));
  const std::string second = Write(PlainWav({.channels = 2, .sampleRate = 8000}, 32000), "b.wav");
  info_ = WavInfo(8000, 2, 0, 0);
  for (int64_t start : {int64_t{8000}, int64_t{8001}, int64_t{1} << 60, int64_t{-1}}) {
    EXPECT_TRUE(Stream(second, start).empty()) << start;
  }
}

// Sizes a writer streaming to a pipe could not fill in, and the 64-bit RF64 and
// BW64 forms: probe and stream cover all the samples, a chunk after them stays out.
struct StreamedCase {
  const char* formId;
  uint32_t formBytes, dataBytes;  // the size fields
  bool ds64;                      // a ds64 chunk with the true data size comes first
  const char* trailer;            // a chunk after the data ("" for none)
};
class StreamedWav : public Wav, public ::testing::WithParamInterface<StreamedCase> {};

TEST_P(StreamedWav, ProbeAndStreamCoverAllSamples) {
  const StreamedCase& row = GetParam();
  const Bytes samples = CountingBytes(17640);  // 100 ms of 44100 Hz stereo
  Bytes body = {'W', 'A', 'V', 'E'}, ds64(28, 0);
  ds64[8] = 17640 & 0xFF;
  ds64[9] = 17640 >> 8;
  for (const Bytes& chunk :
       {row.ds64 ? RiffChunkBytes("ds64", ds64) : Bytes{}, FormatChunkBytes({}),
        RiffChunkBytes("data", samples, row.dataBytes),
        *row.trailer ? RiffChunkBytes(row.trailer, CountingBytes(40)) : Bytes{}})
    body.insert(body.end(), chunk.begin(), chunk.end());
  const std::string path = Write(RiffChunkBytes(row.formId, body, row.formBytes));
  ASSERT_TRUE(Probe(path));
  EXPECT_EQ(std::pair(info_.LengthMs, info_.LengthFrames), std::pair(100, SampleIndex(4410)));
  EXPECT_EQ(Stream(path, 0), samples);
}

constexpr uint32_t kUnknown = 0xFFFFFFFF;

// 2^32 + 17640 sample bytes in a plain RIFF (sparse, the probe reads no sample): a data size left
// unknown or wrapped past 32 bits covers them all; any other size (half the wrap too) is the size.
TEST_F(Wav, ADataChunkOverFourGibibytesRunsToTheEndOfTheFile) {
  for (const auto& [dataField, lengthMs] :
       {std::pair{kUnknown, 24347987}, {17640u, 24347987}, {17644u, 100}, {17636u, 100},
        {0x80000000u + 17640u, 12174044}}) {
    Bytes body = {'W', 'A', 'V', 'E'};
    for (const Bytes& chunk : {FormatChunkBytes({}), RiffChunkBytes("data", {}, dataField)})
      body.insert(body.end(), chunk.begin(), chunk.end());
    const std::string path = Write(RiffChunkBytes("RIFF", body, kUnknown));
    std::filesystem::resize_file(path, std::filesystem::file_size(path) + (1ull << 32) + 17640);
    ASSERT_TRUE(Probe(path));
    EXPECT_EQ(info_.LengthMs, lengthMs) << dataField;
  }
}

INSTANTIATE_TEST_SUITE_P(Forms, StreamedWav,
                         ::testing::Values(StreamedCase{"RIFF", 0, 17640, false, "LIST"},
                                           StreamedCase{"RIFF", 0, 0, false, ""},
                                           StreamedCase{"RIFF", kUnknown, kUnknown, false, ""},
                                           StreamedCase{"RF64", kUnknown, kUnknown, true, "LIST"},
                                           StreamedCase{"BW64", kUnknown, kUnknown, true, ""}),
                         [](const auto& row) {
                           return row.param.formId + std::to_string(row.index);
                         });

}  // namespace
