// WAV files whose writer could not fill in the sizes (streamed to a pipe) and
// the 64-bit RF64/BW64 forms: the probe's length and the stream's bytes cover
// all the samples, and a chunk after the data stays out.
#include <gtest/gtest.h>

#include "audio/mp3io.h"
#include "support/riff_bytes.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"

namespace {

constexpr uint32_t kDataBytes = 17640;  // 100 ms of 44100 Hz stereo
constexpr uint32_t kUnknown = 0xFFFFFFFF;

struct StreamedCase {
  const char* formId;
  uint32_t formBytes, dataBytes;  // the size fields
  bool ds64;                      // a ds64 chunk with the true data size comes first
  const char* trailer;            // a chunk after the data ("" for none)
};

class StreamedWav : public ::testing::TestWithParam<StreamedCase> {};

TEST_P(StreamedWav, ProbeAndStreamCoverAllSamples) {
  const StreamedCase& row = GetParam();
  Bytes body = {'W', 'A', 'V', 'E'};
  Bytes ds64(28, 0);
  ds64[8] = kDataBytes & 0xFF;
  ds64[9] = kDataBytes >> 8;
  for (const Bytes& chunk :
       {row.ds64 ? RiffChunkBytes("ds64", ds64) : Bytes{}, FormatChunkBytes({}),
        RiffChunkBytes("data", CountingBytes(kDataBytes), row.dataBytes),
        *row.trailer ? RiffChunkBytes(row.trailer, CountingBytes(40)) : Bytes{}}) {
    body.insert(body.end(), chunk.begin(), chunk.end());
  }
  TempDir dir;
  const std::string path = dir.File("streamed.wav");
  WriteBytesToFile(path, RiffChunkBytes(row.formId, body, row.formBytes));
  ScriptedDialogs dialogs;
  AudioFileInfo info;
  ASSERT_TRUE(GetAudioFileInfo(path, info, dialogs));
  EXPECT_EQ(info.LengthMs, 100);
  ASSERT_TRUE(OpenAudioStream(path, info, 0));
  uint32_t streamedBytes = 0;
  uint8_t* data = nullptr;
  for (uint32_t bytes = 0; ReadAudioBlock(info, data, bytes);) streamedBytes += bytes;
  CloseAudioStream(info);
  EXPECT_EQ(streamedBytes, kDataBytes);
}

INSTANTIATE_TEST_SUITE_P(Forms, StreamedWav,
                         ::testing::Values(StreamedCase{"RIFF", 0, kDataBytes, false, "LIST"},
                                           StreamedCase{"RIFF", 0, 0, false, ""},
                                           StreamedCase{"RIFF", kUnknown, kUnknown, false, ""},
                                           StreamedCase{"RF64", kUnknown, kUnknown, true, "LIST"},
                                           StreamedCase{"BW64", kUnknown, kUnknown, true, ""}));

}  // namespace
