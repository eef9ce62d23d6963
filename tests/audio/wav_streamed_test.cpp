// WAV files whose writer could not fill in the sizes (streamed to a pipe) and
// the 64-bit RF64/BW64 forms: the probe's length and the stream's samples both
// cover all the sample bytes.
#include <gtest/gtest.h>

#include "audio/mp3io.h"
#include "support/riff_bytes.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"

namespace {

constexpr size_t kDataBytes = 17640;  // 100 ms of 44100 Hz stereo
constexpr uint32_t kUnknown = 0xFFFFFFFF;

struct StreamedCase {
  const char* name;
  const char* formId;
  uint32_t formBytes;  // the form's size field
  uint32_t dataBytes;  // the data chunk's size field
  bool ds64;           // a ds64 chunk with the true sizes comes first
  const char* trailer;  // a chunk after the data ("" for none)
};

Bytes FileOf(const StreamedCase& row) {
  Bytes body = {'W', 'A', 'V', 'E'};
  const auto append = [&body](const Bytes& bytes) { body.insert(body.end(), bytes.begin(), bytes.end()); };
  if (row.ds64) {
    Bytes ds64(28, 0);
    ds64[8] = kDataBytes & 0xFF;
    ds64[9] = (kDataBytes >> 8) & 0xFF;
    append(RiffChunkBytes("ds64", ds64));
  }
  append(FormatChunkBytes({}));
  append(RiffChunkBytes("data", CountingBytes(kDataBytes), row.dataBytes));
  if (*row.trailer) append(RiffChunkBytes(row.trailer, CountingBytes(40)));
  return RiffChunkBytes(row.formId, body, row.formBytes);
}

class StreamedWav : public ::testing::TestWithParam<StreamedCase> {};

TEST_P(StreamedWav, ProbeAndStreamCoverAllSamples) {
  TempDir dir;
  const std::string path = dir.File("streamed.wav");
  WriteBytesToFile(path, FileOf(GetParam()));
  ScriptedDialogs dialogs;
  AudioFileInfo info;
  ASSERT_TRUE(GetAudioFileInfo(path, info, dialogs));
  EXPECT_EQ(info.LengthMs, 100);
  ASSERT_TRUE(OpenAudioStream(path, info, 0));
  size_t streamedBytes = 0;
  uint8_t* data = nullptr;
  uint32_t bytes = 0;
  while (ReadAudioBlock(info, data, bytes)) streamedBytes += bytes;
  CloseAudioStream(info);
  EXPECT_EQ(streamedBytes, kDataBytes);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, StreamedWav,
    ::testing::Values(StreamedCase{"RiffSizeZero", "RIFF", 0, kDataBytes, false, "LIST"},
                      StreamedCase{"BothSizesZero", "RIFF", 0, 0, false, ""},
                      StreamedCase{"BothSizesUnknown", "RIFF", kUnknown, kUnknown, false, ""},
                      StreamedCase{"Rf64", "RF64", kUnknown, kUnknown, true, "LIST"},
                      StreamedCase{"Bw64", "BW64", kUnknown, kUnknown, true, ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
