// WAV files from the RIFF reader up: chunk search, the probe's record and its
// refusals, and the PCM stream's blocks, on files built byte by byte.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "audio/buffered_file.h"
#include "audio/mp3io.h"
#include "audio/riff_reader.h"
#include "support/riff_bytes.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"

namespace {

Bytes PlainWav(const WavFormatFields& format, size_t dataBytes) {
  return RiffWaveBytes({FormatChunkBytes(format), RiffChunkBytes("data", CountingBytes(dataBytes))});
}

Bytes Tail(const Bytes& bytes, size_t from) { return Bytes(bytes.begin() + from, bytes.end()); }

class Wav : public ::testing::Test {
 protected:
  std::string Write(const Bytes& bytes, const std::string& name = "a.wav") {
    WriteBytesToFile(dir_.File(name), bytes);
    return dir_.File(name);
  }
  // Probes into a record filled with a marker, so that "unchanged" shows.
  bool Probe(const std::string& path) {
    dialogs_.messages.clear();
    info_ = {7, 7, 7, 7, 7};
    return GetAudioFileInfo(path, info_, dialogs_);
  }
  // Reads the whole stream from `startMs`; `sizes` gets every block's size.
  Bytes Stream(const std::string& path, uint32_t startMs, std::vector<uint32_t>* sizes = nullptr) {
    Bytes out;
    OpenAudioStream(path, info_, startMs);
    uint8_t* data = nullptr;
    uint32_t bytes = 0;
    while (ReadAudioBlock(info_, data, bytes)) {
      out.insert(out.end(), data, data + bytes);
      if (sizes) sizes->push_back(bytes);
    }
    CloseAudioStream(info_);
    return out;
  }
  std::string Message() const { return dialogs_.messages.size() == 1 ? dialogs_.messages[0].text : "?"; }

  TempDir dir_;
  RiffReader reader_;
  ScriptedDialogs dialogs_;
  AudioFileInfo info_;
};

TEST_F(Wav, RiffChunksAreFoundInAnyOrderPastOddPaddingAndOnlyInsideTheRiff) {
  Bytes bytes = RiffWaveBytes({RiffChunkBytes("LIST", CountingBytes(5)),
                               RiffChunkBytes("fmt ", CountingBytes(3, 20))});
  const Bytes outside = RiffChunkBytes("data", CountingBytes(8));
  bytes.insert(bytes.end(), outside.begin(), outside.end());
  ASSERT_TRUE(reader_.Open(Write(bytes)));
  RiffChunk riff, fmt, data;
  ASSERT_TRUE(reader_.DescendRiff(MakeFourCC("WAVE"), riff));
  EXPECT_EQ(riff.dataOffset, 12);
  ASSERT_TRUE(reader_.DescendChunk(MakeFourCC("fmt "), riff, fmt));
  EXPECT_EQ(fmt.dataOffset, 12 + 14 + 8);  // after LIST: 8 + 5 + pad
  uint8_t body[3];
  ASSERT_EQ(reader_.Read(body, 3), 3);
  EXPECT_EQ(body[2], 22);
  ASSERT_TRUE(reader_.Seek(riff.dataOffset));
  EXPECT_FALSE(reader_.DescendChunk(MakeFourCC("data"), riff, data));
}

TEST_F(Wav, RiffReadsAndSeeksStayInsideTheFileAndNeedAnOpenOne) {
  RiffChunk chunk;
  uint8_t buffer[16];
  EXPECT_FALSE(reader_.Open(dir_.File("missing.wav")));
  EXPECT_FALSE(reader_.Open(dir_.path().string()));
  EXPECT_FALSE(reader_.DescendRiff(MakeFourCC("WAVE"), chunk));
  EXPECT_FALSE(reader_.DescendChunk(MakeFourCC("data"), chunk, chunk));
  EXPECT_EQ(reader_.Read(buffer, 4), -1);
  EXPECT_FALSE(reader_.Seek(0));
  ASSERT_TRUE(reader_.Open(Write(CountingBytes(10))));
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
  const std::string path = dir_.File("big.wav");
  const uint32_t junkBytes = 0xE0000000u;
  {
    std::ofstream out(path, std::ios::binary);
    Bytes head = RiffWaveBytes({});
    head[4] = head[5] = head[6] = head[7] = 0xFF;
    const Bytes junk = RiffChunkBytes("JUNK", {}, junkBytes);
    head.insert(head.end(), junk.begin(), junk.end());
    out.write(reinterpret_cast<const char*>(head.data()), static_cast<std::streamsize>(head.size()));
    out.seekp(static_cast<std::streamoff>(head.size()) + junkBytes);
    const Bytes data = RiffChunkBytes("data", CountingBytes(4, 7));
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    ASSERT_TRUE(out.good()) << "the file system holds no sparse file this large";
  }
  ASSERT_TRUE(reader_.Open(path));
  RiffChunk riff, data;
  ASSERT_TRUE(reader_.DescendRiff(MakeFourCC("WAVE"), riff));
  ASSERT_TRUE(reader_.DescendChunk(MakeFourCC("data"), riff, data));
  EXPECT_EQ(data.dataOffset, 12 + 8 + int64_t{junkBytes} + 8);
}

// Files the probe describes: the record it gives.
struct GoodWav {
  const char* name;
  Bytes bytes;
  AudioFileInfo expected;
};

class WavProbe : public Wav, public ::testing::WithParamInterface<GoodWav> {};

TEST_P(WavProbe, GivesTheRecord) {
  ASSERT_TRUE(Probe(Write(GetParam().bytes)));
  EXPECT_EQ(info_, GetParam().expected);
  EXPECT_TRUE(dialogs_.messages.empty());
}

AudioFileInfo WavInfo(int32_t rate, int32_t channels, int32_t bitrate, int32_t lengthMs) {
  return MakeInfo(AudioFileInfo::kTypeWav, rate, channels, lengthMs, bitrate);
}

INSTANTIATE_TEST_SUITE_P(
    Files, WavProbe,
    ::testing::Values(
        GoodWav{"Stereo44100", PlainWav({}, 176400), WavInfo(44100, 2, 1378, 1000)},
        GoodWav{"Mono44100", PlainWav({.channels = 1}, 44100), WavInfo(44100, 1, 689, 500)},
        // 8000 Hz mono: 16 bytes a millisecond; 8 bytes is half of one (0), 24 one and a half (2).
        GoodWav{"HalfMsDown", PlainWav({.channels = 1, .sampleRate = 8000}, 8), WavInfo(8000, 1, 125, 0)},
        GoodWav{"HalfMsUp", PlainWav({.channels = 1, .sampleRate = 8000}, 24), WavInfo(8000, 1, 125, 2)},
        GoodWav{"Format18", PlainWav({.channels = 1, .sampleRate = 22050, .formatBytes = 18}, 44100),
                WavInfo(22050, 1, 344, 1000)},
        GoodWav{"Format40", PlainWav({.channels = 1, .sampleRate = 22050, .formatBytes = 40}, 44100),
                WavInfo(22050, 1, 344, 1000)},
        GoodWav{"AnyFormatTag", PlainWav({.formatTag = 0xFFFE}, 1764), WavInfo(44100, 2, 1378, 10)},
        GoodWav{"DataFirstOddChunksBetween",
                RiffWaveBytes({RiffChunkBytes("LIST", CountingBytes(13)),
                               RiffChunkBytes("data", CountingBytes(176400)),
                               RiffChunkBytes("id3 ", CountingBytes(9)), FormatChunkBytes({})}),
                WavInfo(44100, 2, 1378, 1000)},
        // A recording cut short: the data chunk claims 10 s, the file holds 1 s.
        GoodWav{"DataLongerThanTheFile",
                RiffWaveBytes({FormatChunkBytes({}), RiffChunkBytes("data", CountingBytes(176400), 1764000)}),
                WavInfo(44100, 2, 1378, 1000)}),
    [](const auto& info) { return std::string(info.param.name); });

// Files that are no usable WAV: refused with "File Error !", the record
// holding only the type, never a division by zero or a hang.
class MalformedWav : public Wav, public ::testing::WithParamInterface<std::pair<const char*, Bytes>> {};

TEST_P(MalformedWav, IsRefused) {
  EXPECT_FALSE(Probe(Write(GetParam().second)));
  EXPECT_EQ(Message(), "File Error !");
  EXPECT_EQ(dialogs_.messages[0].caption, "Error");
  EXPECT_EQ(info_, MakeInfo(AudioFileInfo::kTypeWav, 0, 0));
}

Bytes Patched(Bytes bytes, size_t at, uint8_t value) {
  bytes[at] = value;
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Files, MalformedWav,
    ::testing::Values(
        std::pair{"Empty", Bytes{}}, std::pair{"NoRiff", Patched(PlainWav({}, 400), 0, 'X')},
        std::pair{"AviForm", Patched(PlainWav({}, 400), 8, 'A')},
        std::pair{"NoFormat", RiffWaveBytes({RiffChunkBytes("data", CountingBytes(400))})},
        std::pair{"NoData", RiffWaveBytes({FormatChunkBytes({})})},
        std::pair{"Format14", PlainWav({.formatBytes = 14}, 400)},
        std::pair{"FormatCut", RiffWaveBytes({RiffChunkBytes("fmt ", CountingBytes(10), 16)})},
        std::pair{"ZeroChannels", PlainWav({.channels = 0}, 400)},
        std::pair{"ThreeChannels", PlainWav({.channels = 3}, 600)},
        std::pair{"ZeroRate", PlainWav({.sampleRate = 0}, 400)},
        std::pair{"RateBeyondInt32", PlainWav({.sampleRate = 0x80000000u}, 400)},
        std::pair{"OnlyAHeader", Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}}),
    [](const auto& info) { return std::string(info.param.first); });

TEST_F(Wav, OtherBitDepthsAreRefusedWithTheFieldsFilled) {
  for (uint16_t bits : {8, 24}) {
    EXPECT_FALSE(Probe(Write(PlainWav({.bitsPerSample = bits}, 176400))));
    EXPECT_EQ(Message(), "File Error !");
    EXPECT_EQ(info_, WavInfo(44100, 2, 1378, 1000)) << bits;
  }
}

TEST_F(Wav, UnopenablePathsAreReportedWithoutWaitingAndKeepNoFileOpen) {
  const auto openFiles = [] {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                         std::filesystem::directory_iterator());
  };
  const auto before = openFiles();
  std::filesystem::create_directory(dir_.File("folder.wav"));
  for (const std::string& path : {dir_.File("missing.wav"), dir_.File("folder.wav")}) {
    EXPECT_FALSE(Probe(path));
    EXPECT_EQ(Message(), "Error while open wav file");
    EXPECT_EQ(info_, MakeInfo(AudioFileInfo::kTypeWav, 0, 0));
  }
  Probe(Write(PlainWav({}, 400)));
  Probe(Write(PlainWav({.bitsPerSample = 8}, 400)));
  EXPECT_EQ(openFiles(), before);
  // A named pipe would wait for a writer forever: probed in a child that an
  // alarm ends, so a probe that waits fails instead of hanging the run.
  for (const char* name : {"pipe.wav", "pipe.mp3"}) {
    const std::string path = dir_.File(name);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    const pid_t child = ::fork();
    if (child == 0) {
      ::alarm(5);
      ::_exit(!Probe(path) && dialogs_.messages.size() == 1 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << name;
  }
}

// The branch is chosen by the last "." of the file name itself, any case.
TEST_F(Wav, TheExtensionChoosesTheBranch) {
  const std::pair<const char*, int32_t> cases[] = {
      {"a.WAV", AudioFileInfo::kTypeWav}, {"b.Wav", AudioFileInfo::kTypeWav},
      {"c.mp3.wav", AudioFileInfo::kTypeWav}, {"d.Mp3", AudioFileInfo::kTypeMp3},
      {"e.wav.bak", 0}, {"f.wav.", 0}, {"g", 0}, {"x.wav/file", 0}, {"h.aiff", 0}};
  std::filesystem::create_directory(dir_.File("x.wav"));
  for (const auto& [name, type] : cases) {
    const bool usable = Probe(Write(PlainWav({}, 400), name));
    EXPECT_EQ(usable, type == AudioFileInfo::kTypeWav) << name;
    if (type == 0) {
      EXPECT_EQ(Message(), "We can only accept mp3 and wav file") << name;
      EXPECT_EQ(info_, (AudioFileInfo{7, 7, 7, 7, 7})) << name;
    } else {
      EXPECT_EQ(info_.FileType, type) << name;
    }
  }
}

TEST_F(Wav, StreamGivesTheDataIn8192ByteBlocksFromTheStartFrameOnly) {
  const Bytes samples = CountingBytes(3 * 8192 + 100, 3);
  const std::string path =
      Write(RiffWaveBytes({FormatChunkBytes({}), RiffChunkBytes("data", samples),
                           RiffChunkBytes("LIST", CountingBytes(999, 200))}));
  info_ = WavInfo(44100, 2, 0, 0);
  std::vector<uint32_t> sizes;
  EXPECT_EQ(Stream(path, 0, &sizes), samples);
  EXPECT_EQ(sizes, (std::vector<uint32_t>{8192, 8192, 8192, 100}));
  // 44100 Hz: 5 ms is 220.5 frames (220), 15 ms is 661.5 frames (662).
  EXPECT_EQ(Stream(path, 5), Tail(samples, 220 * 4));
  EXPECT_EQ(Stream(path, 15), Tail(samples, 662 * 4));
  info_ = WavInfo(22050, 1, 0, 0);  // 1500 ms of 22050 Hz mono skip 66150 bytes
  const std::string mono = Write(RiffWaveBytes({FormatChunkBytes({.channels = 1, .sampleRate = 22050}),
                                                RiffChunkBytes("data", CountingBytes(88200, 1))}),
                                 "m.wav");
  EXPECT_EQ(Stream(mono, 1500), Tail(CountingBytes(88200, 1), 66150));
}

TEST_F(Wav, StreamEndsAtTheBytesPresentAndTheLastWholeFrame) {
  info_ = WavInfo(44100, 2, 0, 0);
  const Bytes samples = CountingBytes(10002, 9);
  const std::string cut =
      Write(RiffWaveBytes({FormatChunkBytes({}), RiffChunkBytes("data", samples, 1000000)}));
  EXPECT_EQ(Stream(cut, 0), Bytes(samples.begin(), samples.end() - 2));
  const std::string second = Write(PlainWav({.channels = 2, .sampleRate = 8000}, 32000), "b.wav");
  info_ = WavInfo(8000, 2, 0, 0);
  for (uint32_t startMs : {1000u, 1001u, 4000000000u}) EXPECT_TRUE(Stream(second, startMs).empty());
}

TEST_F(Wav, StreamsReplaceOneAnotherAndNothingIsReadWithoutOne) {
  info_ = WavInfo(44100, 2, 0, 0);
  const std::string a = Write(PlainWav({}, 1000), "a.wav");
  const std::string b = Write(RiffWaveBytes({FormatChunkBytes({}), RiffChunkBytes("data", CountingBytes(2000, 77))}), "b.wav");
  uint8_t* data = nullptr;
  uint8_t* first = nullptr;
  uint32_t bytes = 0;
  EXPECT_FALSE(ReadAudioBlock(info_, data, bytes));
  EXPECT_FALSE(OpenAudioStream(dir_.File("missing.wav"), info_, 0));
  EXPECT_FALSE(ReadAudioBlock(info_, data, bytes));
  ASSERT_TRUE(OpenAudioStream(a, info_, 0));
  ASSERT_TRUE(OpenAudioStream(b, info_, 0));
  ASSERT_TRUE(ReadAudioBlock(info_, first, bytes));
  EXPECT_EQ(Bytes(first, first + bytes), CountingBytes(2000, 77));
  CloseAudioStream(info_);
  CloseAudioStream(info_);
  EXPECT_FALSE(ReadAudioBlock(info_, data, bytes));
  AudioFileInfo unknown = info_;
  unknown.FileType = AudioFileInfo::kTypeNone;
  EXPECT_FALSE(OpenAudioStream(a, unknown, 0));
  EXPECT_FALSE(ReadAudioBlock(unknown, data, bytes));
  // Every block of one stream is the same buffer.
  const std::string big = Write(PlainWav({}, 3 * 8192), "c.wav");
  ASSERT_TRUE(OpenAudioStream(big, info_, 0));
  ASSERT_TRUE(ReadAudioBlock(info_, first, bytes));
  while (ReadAudioBlock(info_, data, bytes)) EXPECT_EQ(data, first);
  CloseAudioStream(info_);
}

// Reads and seeks mixed the way the MP3 frame scanner uses them give the
// file's bytes at the positions asked for, across buffer refills.
TEST_F(Wav, BufferedFileAgreesWithTheFileAcrossRefills) {
  const Bytes bytes = CountingBytes(300000, 3);
  struct stat status {};
  EXPECT_FALSE(BufferedFile::Open(dir_.path().string(), status));
  auto file = BufferedFile::Open(Write(bytes, "f.bin"), status);
  ASSERT_TRUE(file);
  EXPECT_EQ(status.st_size, 300000);
  uint8_t header[4];
  off_t position = 0;
  while (position + 4 <= 300000) {
    ASSERT_EQ(file->Read(header, 4), 4);
    ASSERT_EQ(header[3], bytes[static_cast<size_t>(position) + 3]);
    position = file->Seek(413, SEEK_CUR);
    ASSERT_EQ(position % 417, 0);
  }
  std::vector<uint8_t> large(200000);
  ASSERT_EQ(file->Seek(1000, SEEK_SET), 1000);
  ASSERT_EQ(file->Read(large.data(), large.size()), 200000);
  EXPECT_TRUE(std::equal(large.begin(), large.end(), bytes.begin() + 1000));
  ASSERT_EQ(file->Seek(999, SEEK_SET), 999);
  ASSERT_EQ(file->Read(header, 1), 1);
  EXPECT_EQ(header[0], bytes[999]);
  EXPECT_EQ(file->Seek(-10, SEEK_END), 299990);
  EXPECT_EQ(file->Read(large.data(), 100), 10);
  EXPECT_EQ(large[9], bytes[299999]);
  EXPECT_EQ(file->Seek(-1, SEEK_SET), -1);
}

}  // namespace
