// The probe's WAV branch and its extension rules.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "audio/mp3io.h"
#include "support/riff_bytes.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"

namespace {

constexpr const char* kFileError = "File Error !";

Bytes PlainWav(const WavFormatFields& format, size_t dataBytes) {
  return RiffWaveBytes(
      {FormatChunkBytes(format), RiffChunkBytes("data", CountingBytes(dataBytes))});
}

AudioFileInfo Wav(int32_t rate, int32_t channels, int32_t bitrate, int32_t lengthMs) {
  return {AudioFileInfo::kTypeWav, rate, channels, bitrate, lengthMs};
}

class WavProbeTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const Bytes& bytes) {
    const std::string path = dir_.File(name);
    WriteBytesToFile(path, bytes);
    return path;
  }
  // Probes into a record filled with a marker so that "unchanged" is visible.
  bool Probe(const std::string& path) {
    info_ = kMarker;
    return GetAudioFileInfo(path, info_, dialogs_);
  }
  void ExpectOneMessage(const std::string& text) {
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_EQ(dialogs_.messages[0].text, text);
    EXPECT_EQ(dialogs_.messages[0].caption, "Error");
    EXPECT_EQ(dialogs_.messages[0].icon, MessageIcon::None);
  }

  static constexpr AudioFileInfo kMarker{7, 7, 7, 7, 7};
  TempDir dir_;
  ScriptedDialogs dialogs_;
  AudioFileInfo info_;
};

TEST_F(WavProbeTest, SixteenBitStereoIsDescribed) {
  ASSERT_TRUE(Probe(Write("a.wav", PlainWav({}, 176400))));
  EXPECT_EQ(info_, Wav(44100, 2, 1378, 1000));
  EXPECT_TRUE(dialogs_.messages.empty());
}

TEST_F(WavProbeTest, MonoAt44100HasBitrate689) {
  ASSERT_TRUE(Probe(Write("a.wav", PlainWav({.channels = 1}, 88200 / 2))));
  EXPECT_EQ(info_, Wav(44100, 1, 689, 500));
}

TEST_F(WavProbeTest, LengthRoundsHalfToEven) {
  // 8000 Hz mono: 2 bytes a frame, 16 bytes a millisecond. 8 bytes is half a
  // millisecond (0), 24 bytes one and a half (2).
  ASSERT_TRUE(Probe(Write("a.wav", PlainWav({.channels = 1, .sampleRate = 8000}, 8))));
  EXPECT_EQ(info_.LengthMs, 0);
  ASSERT_TRUE(Probe(Write("b.wav", PlainWav({.channels = 1, .sampleRate = 8000}, 24))));
  EXPECT_EQ(info_.LengthMs, 2);
}

TEST_F(WavProbeTest, FormatChunksOf16And18AndMoreBytesGiveTheSameRecord) {
  std::vector<AudioFileInfo> records;
  for (uint32_t formatBytes : {16u, 18u, 40u}) {
    ASSERT_TRUE(Probe(
        Write(std::to_string(formatBytes) + "-byte-format.wav",
              PlainWav({.channels = 1, .sampleRate = 22050, .formatBytes = formatBytes}, 44100))));
    records.push_back(info_);
  }
  EXPECT_EQ(records[0], Wav(22050, 1, 344, 1000));
  EXPECT_EQ(records[1], records[0]);
  EXPECT_EQ(records[2], records[0]);
}

TEST_F(WavProbeTest, AnyFormatTagIsAcceptedWith16Bits) {
  ASSERT_TRUE(Probe(Write("a.wav", PlainWav({.formatTag = 0xFFFE}, 400))));
  EXPECT_EQ(info_.SampleRate, 44100);
}

TEST_F(WavProbeTest, DataBeforeFormatAndChunksBetweenAreFound) {
  const Bytes bytes = RiffWaveBytes(
      {RiffChunkBytes("LIST", CountingBytes(13)), RiffChunkBytes("data", CountingBytes(176400)),
       RiffChunkBytes("id3 ", CountingBytes(9)), FormatChunkBytes({})});
  ASSERT_TRUE(Probe(Write("a.wav", bytes)));
  EXPECT_EQ(info_, Wav(44100, 2, 1378, 1000));
}

TEST_F(WavProbeTest, OtherBitDepthsAreRefusedWithTheFieldsFilled) {
  for (uint16_t bits : {8, 24, 32}) {
    dialogs_.messages.clear();
    EXPECT_FALSE(Probe(Write("a.wav", PlainWav({.bitsPerSample = bits}, 176400))));
    ExpectOneMessage(kFileError);
    EXPECT_EQ(info_, Wav(44100, 2, 1378, 1000)) << bits;
  }
}

TEST_F(WavProbeTest, AWavThatCannotBeOpenedIsReported) {
  EXPECT_FALSE(Probe(dir_.File("missing.wav")));
  ExpectOneMessage("Error while open wav file");
  EXPECT_EQ(info_, (AudioFileInfo{AudioFileInfo::kTypeWav, 0, 0, 0, 0}));
}

TEST_F(WavProbeTest, AFolderNamedLikeAWavCannotBeOpened) {
  std::filesystem::create_directory(dir_.File("folder.wav"));
  EXPECT_FALSE(Probe(dir_.File("folder.wav")));
  ExpectOneMessage("Error while open wav file");
}

TEST_F(WavProbeTest, APipeNamedLikeAnAudioFileIsRefusedWithoutWaiting) {
  // Opening a named pipe for reading waits for a writer that never comes; the
  // probe must refuse it at once. Probed in a child that an alarm ends, so a
  // probe that waits fails the test instead of hanging the run.
  for (const char* name : {"pipe.wav", "pipe.mp3"}) {
    const std::string path = dir_.File(name);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    const pid_t child = ::fork();
    if (child == 0) {
      ::alarm(5);
      ScriptedDialogs dialogs;
      AudioFileInfo info;
      const bool refused = !GetAudioFileInfo(path, info, dialogs) && dialogs.messages.size() == 1;
      ::_exit(refused ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << name;
  }
}

TEST_F(WavProbeTest, ADataChunkLongerThanTheFileCountsTheBytesPresent) {
  // A recording cut short: the data chunk claims 10 s, the file holds 1 s.
  const Bytes bytes =
      RiffWaveBytes({FormatChunkBytes({}), RiffChunkBytes("data", CountingBytes(176400), 1764000)});
  ASSERT_TRUE(Probe(Write("a.wav", bytes)));
  EXPECT_EQ(info_.LengthMs, 1000);
}

TEST_F(WavProbeTest, ProbeKeepsNoFileOpen) {
  const auto openFiles = [] {
    int count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/fd")) {
      ++count;
    }
    return count;
  };
  const std::string good = Write("a.wav", PlainWav({}, 400));
  const std::string bad = Write("b.wav", PlainWav({.bitsPerSample = 8}, 400));
  const std::string broken = Write("c.wav", CountingBytes(40));
  const int before = openFiles();
  Probe(good);
  Probe(bad);
  Probe(broken);
  EXPECT_EQ(openFiles(), before);
}

// Files that are no usable WAV: each is refused with "File Error !" and the
// record holds nothing but the type, never a division by zero or a hang.
struct MalformedWav {
  const char* name;
  Bytes bytes;
};

class MalformedWavTest : public WavProbeTest, public ::testing::WithParamInterface<MalformedWav> {};

TEST_P(MalformedWavTest, IsRefusedWithFileError) {
  EXPECT_FALSE(Probe(Write("a.wav", GetParam().bytes)));
  ExpectOneMessage(kFileError);
  EXPECT_EQ(info_, (AudioFileInfo{AudioFileInfo::kTypeWav, 0, 0, 0, 0}));
}

Bytes WithoutRiff() {
  Bytes bytes = PlainWav({}, 400);
  bytes[0] = 'X';
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Files, MalformedWavTest,
    ::testing::Values(
        MalformedWav{"Empty", {}}, MalformedWav{"NoRiffForm", WithoutRiff()},
        MalformedWav{"NoFormatChunk", RiffWaveBytes({RiffChunkBytes("data", CountingBytes(400))})},
        MalformedWav{"NoDataChunk", RiffWaveBytes({FormatChunkBytes({})})},
        MalformedWav{"FormatChunkOf14Bytes", PlainWav({.formatBytes = 14}, 400)},
        MalformedWav{"FormatChunkCutByTheEndOfFile",
                     RiffWaveBytes({RiffChunkBytes("fmt ", CountingBytes(10), 16)})},
        MalformedWav{"ZeroChannels", PlainWav({.channels = 0}, 400)},
        MalformedWav{"ThreeChannels", PlainWav({.channels = 3}, 600)},
        MalformedWav{"ZeroSampleRate", PlainWav({.sampleRate = 0}, 400)},
        MalformedWav{"SampleRateBeyond32BitSigned", PlainWav({.sampleRate = 0x80000000u}, 400)},
        MalformedWav{"OnlyAHeader", Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}}),
    [](const auto& info) { return std::string(info.param.name); });

// Extension rules: the last "." of the file name itself, any letter case.
struct ExtensionCase {
  const char* name;
  const char* relativePath;
  int32_t expectedType;  // 0: refused for its extension
};

class ExtensionTest : public WavProbeTest, public ::testing::WithParamInterface<ExtensionCase> {};

TEST_P(ExtensionTest, ChoosesTheBranchByTheExtension) {
  const std::filesystem::path path = dir_.path() / GetParam().relativePath;
  std::filesystem::create_directories(path.parent_path());
  WriteBytesToFile(path.string(), PlainWav({}, 400));
  const bool usable = Probe(path.string());
  if (GetParam().expectedType == 0) {
    EXPECT_FALSE(usable);
    ExpectOneMessage("We can only accept mp3 and wav file");
    EXPECT_EQ(info_, kMarker);
  } else {
    EXPECT_EQ(info_.FileType, GetParam().expectedType);
    if (GetParam().expectedType == AudioFileInfo::kTypeWav) {
      EXPECT_TRUE(usable);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Names, ExtensionTest,
    ::testing::Values(
        ExtensionCase{"LowerWav", "a.wav", AudioFileInfo::kTypeWav},
        ExtensionCase{"UpperWav", "a.WAV", AudioFileInfo::kTypeWav},
        ExtensionCase{"MixedWav", "a.Wav", AudioFileInfo::kTypeWav},
        ExtensionCase{"DotsBefore", "a.mp3.wav", AudioFileInfo::kTypeWav},
        ExtensionCase{"MixedMp3", "a.Mp3", AudioFileInfo::kTypeMp3},
        ExtensionCase{"UpperMp3", "a.MP3", AudioFileInfo::kTypeMp3},
        ExtensionCase{"BackupOfMp3", "a.mp3.bak", 0}, ExtensionCase{"BackupOfWav", "a.wav.bak", 0},
        ExtensionCase{"TrailingDot", "a.wav.", 0}, ExtensionCase{"NoExtension", "a", 0},
        ExtensionCase{"DotInFolderOnly", "x.wav/file", 0}, ExtensionCase{"Aiff", "a.aiff", 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
