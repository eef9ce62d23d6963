// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the small seed corpora of the fuzz targets into the folder named on
// the command line: <folder>/wav, /mp3, /ini, /time, /cue and /tags. The WAV
// and MP3 seeds are a few hundred milliseconds of a tone in the layouts the readers meet
// (plain, streamed with size fields 0, RF64, other sample formats; MP3 in
// MPEG-1 and MPEG-2 with and without a tag in front), so the fuzzer starts
// from inputs that reach deep into the parsers.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "export/lame_encoder.h"
#include "support/tagged_files.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}
void Put32(Bytes& out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}
void PutId(Bytes& out, const char* id) { out.insert(out.end(), id, id + 4); }

std::vector<int16_t> Tone(int frames, int channels, int rate) {
  std::vector<int16_t> samples;
  for (int i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c) {
      samples.push_back(static_cast<int16_t>(8000 * std::sin(i * 2 * M_PI * 440 / rate)));
    }
  }
  return samples;
}

// A WAV with the given size fields; riffSize/dataSize ~0u mean "as written".
Bytes Wav(int channels, int rate, int bits, uint16_t tag, uint32_t riffSize = ~0u,
          uint32_t dataSize = ~0u, const char* riffId = "RIFF") {
  const std::vector<int16_t> samples = Tone(rate / 50, channels, rate);
  Bytes pcm;
  for (int16_t sample : samples) {
    if (bits == 8) {
      pcm.push_back(static_cast<uint8_t>((sample >> 8) + 128));
    } else {
      Put16(pcm, static_cast<uint16_t>(sample));
    }
  }
  Bytes out;
  PutId(out, riffId);
  Put32(out, riffSize == ~0u ? static_cast<uint32_t>(36 + pcm.size()) : riffSize);
  PutId(out, "WAVE");
  if (std::string(riffId) != "RIFF") {
    PutId(out, "ds64");
    Put32(out, 28);
    Put32(out, static_cast<uint32_t>(36 + pcm.size() + 36));
    Put32(out, 0);
    Put32(out, static_cast<uint32_t>(pcm.size()));
    Put32(out, 0);
    Put32(out, static_cast<uint32_t>(samples.size() / channels));
    Put32(out, 0);
    Put32(out, 0);
  }
  PutId(out, "fmt ");
  Put32(out, 16);
  Put16(out, tag);
  Put16(out, static_cast<uint32_t>(channels));
  Put32(out, static_cast<uint32_t>(rate));
  Put32(out, static_cast<uint32_t>(rate * channels * bits / 8));
  Put16(out, static_cast<uint32_t>(channels * bits / 8));
  Put16(out, static_cast<uint32_t>(bits));
  PutId(out, "data");
  Put32(out, dataSize == ~0u ? static_cast<uint32_t>(pcm.size()) : dataSize);
  out.insert(out.end(), pcm.begin(), pcm.end());
  return out;
}

// A short constant-bitrate MP3 made by the program's own encoder.
Bytes Mp3(int channels, int rate, uint32_t kbps) {
  BE_CONFIG config;
  MakeExportEncoderConfig(config, rate, channels, kbps);
  uint32_t chunkSamples = 0, outBytes = 0;
  HBE_STREAM stream = nullptr;
  if (beInitStream(&config, &chunkSamples, &outBytes, &stream) != BE_ERR_SUCCESSFUL) return {};
  const std::vector<int16_t> samples = Tone(rate / 5, channels, rate);
  Bytes out;
  Bytes buffer(outBytes);
  for (size_t at = 0; at < samples.size(); at += chunkSamples) {
    uint32_t count = static_cast<uint32_t>(std::min<size_t>(chunkSamples, samples.size() - at));
    uint32_t bytes = outBytes;
    beEncodeChunk(stream, count, samples.data() + at, buffer.data(), &bytes);
    out.insert(out.end(), buffer.begin(), buffer.begin() + bytes);
  }
  uint32_t bytes = outBytes;
  beDeinitStream(stream, buffer.data(), &bytes);
  out.insert(out.end(), buffer.begin(), buffer.begin() + bytes);
  beCloseStream(stream);
  return out;
}

void Save(const std::filesystem::path& folder, const std::string& name, const Bytes& bytes) {
  std::filesystem::create_directories(folder);
  std::FILE* file = std::fopen((folder / name).c_str(), "wb");
  if (file == nullptr) return;
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

void SaveText(const std::filesystem::path& folder, const std::string& name,
              const std::string& text) {
  Save(folder, name, Bytes(text.begin(), text.end()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: snipola-fuzz-seeds FOLDER\n");
    return 2;
  }
  const std::filesystem::path root(argv[1]);
  const auto wav = root / "wav";
  Save(wav, "stereo16", Wav(2, 44100, 16, 1));
  Save(wav, "mono16", Wav(1, 8000, 16, 1));
  Save(wav, "mono8", Wav(1, 8000, 8, 1));
  Save(wav, "mulaw", Wav(1, 8000, 8, 7));
  Save(wav, "streamed", Wav(2, 48000, 16, 1, 0, 0));
  Save(wav, "streamed-ff", Wav(2, 48000, 16, 1, 0xFFFFFFFF, 0xFFFFFFFF));
  Save(wav, "rf64", Wav(2, 44100, 16, 1, 0xFFFFFFFF, 0xFFFFFFFF, "RF64"));
  const auto mp3 = root / "mp3";
  Save(mp3, "stereo-44100-128", Mp3(2, 44100, 128));
  Save(mp3, "mono-22050-32", Mp3(1, 22050, 32));
  Save(mp3, "mono-8000-24", Mp3(1, 8000, 24));
  Bytes tagged = {'I', 'D', '3', 4, 0, 0, 0, 0, 0, 10};
  tagged.resize(20, 0);
  const Bytes body = Mp3(2, 48000, 64);
  tagged.insert(tagged.end(), body.begin(), body.end());
  Save(mp3, "id3-48000-64", tagged);
  // Tagged sources behind the byte that picks the formats (tags_fuzz.cpp).
  const auto tags = root / "tags";
  for (const bool wavSource : {false, true}) {
    const std::filesystem::path scratch = tags / "scratch";
    Save(tags, "scratch", wavSource ? Wav(2, 44100, 16, 1) : Mp3(2, 44100, 128));
    AddTestTags(scratch.string(), wavSource);
    std::ifstream in(scratch, std::ios::binary);
    const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::filesystem::remove(scratch);
    for (const uint8_t wavOutput : {0, 2}) {
      Bytes seed{static_cast<uint8_t>(wavOutput | (wavSource ? 1 : 0))};
      seed.insert(seed.end(), bytes.begin(), bytes.end());
      Save(tags, std::string(wavSource ? "wav" : "mp3") + (wavOutput ? "-to-wav" : "-to-mp3"), seed);
    }
  }
  const auto ini = root / "ini";
  SaveText(ini, "settings", "[Set]\r\nLeft=10\r\nTop=20\r\nUseSecond=1\r\n\r\n[Other]\nKey = v\n");
  SaveText(ini, "comments", "; note\n# other\n[ Set ]\n  left = 5 \n[set]\nPath=a=b\n");
  const auto time = root / "time";
  for (const char* text : {"60", "60.5", "3:03.456", "1:02:03", "183456ms", "0.05", "-12", " 7 "}) {
    SaveText(time, text, text);
  }
  const auto cue = root / "cue";
  SaveText(cue, "album",
           "\xEF\xBB\xBFREM GENRE Rock\r\nREM DATE 1999\r\nPERFORMER \"Band\"\r\n"
           "TITLE \"Live\"\r\nFILE \"live.wav\" WAVE\r\n  TRACK 01 AUDIO\r\n"
           "    TITLE \"One\"\r\n    INDEX 01 00:00:00\r\n  TRACK 02 AUDIO\r\n"
           "    TITLE \"Two\"\r\n    PERFORMER \"Guest\"\r\n    INDEX 00 03:58:40\r\n"
           "    INDEX 01 04:00:12\r\n  TRACK 03 AUDIO\r\n    INDEX 01 101:30:74\r\n");
  SaveText(cue, "cp1252", "TITLE \"Caf\xE9 \x93Noir\x94\"\nFILE x.mp3 MP3\nTRACK 1 AUDIO\n"
                          "INDEX 01 0:00:00\nTRACK 2 AUDIO\nFLAGS DCP\nINDEX 01 12:00:00\n");
  return 0;
}
