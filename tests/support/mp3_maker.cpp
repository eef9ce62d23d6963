// SPDX-License-Identifier: GPL-3.0-or-later
// Encoding test PCM with libmp3lame (test support only; the program itself
// encodes through its own LAME layer).
#include "support/mp3_maker.h"

#include <lame/lame.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>

#include "audio/mpg123_decoder.h"
#include "support/test_files.h"

namespace {

using LamePtr = std::unique_ptr<lame_global_flags, decltype(&lame_close)>;
using Bytes = std::vector<unsigned char>;

void Append(Bytes& out, const std::string& text) {
  out.insert(out.end(), text.begin(), text.end());
}
void PutLittleEndian(Bytes& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// An ID3v2.3 tag of exactly `totalBytes` bytes: a title frame ("TIT2", size
// 13, no flags, ISO-8859-1), a length frame ("TLEN", 8 digits), then zero
// padding; the tag size is syncsafe.
Bytes Id3v2Tag(size_t totalBytes) {
  const size_t bodyBytes = std::max<size_t>(totalBytes, 52) - 10;
  Bytes tag = {'I', 'D', '3', 3, 0, 0};
  for (int shift = 21; shift >= 0; shift -= 7)
    tag.push_back(static_cast<unsigned char>((bodyBytes >> shift) & 0x7F));
  Append(tag, std::string("TIT2\0\0\0\x0D\0\0\0", 11) + "Snipola test");
  Append(tag, std::string("TLEN\0\0\0\x09\0\0\0", 11) + "99999999");
  tag.resize(10 + bodyBytes, 0);
  return tag;
}

Bytes Id3v1Tag() {
  Bytes tag;
  Append(tag, "TAGSnipola test");
  tag.resize(128, 0);
  tag[127] = 255;  // no genre
  return tag;
}

// An APEv2 tag with header, one "Title" item and footer.
Bytes ApeTag() {
  Bytes item, tag;
  PutLittleEndian(item, 12);  // the value's size, then no flags
  PutLittleEndian(item, 0);
  Append(item, std::string("Title\0Snipola test", 18));
  for (const uint32_t flags : {0xA0000000u, 0x80000000u}) {  // header, footer
    if (flags == 0x80000000u) tag.insert(tag.end(), item.begin(), item.end());
    Append(tag, "APETAGEX");
    for (const uint32_t field : {2000u, static_cast<uint32_t>(item.size() + 32), 1u, flags})
      PutLittleEndian(tag, field);
    tag.resize(tag.size() + 8, 0);
  }
  return tag;
}

bool Put(std::FILE* file, const unsigned char* bytes, size_t count) {
  return count == 0 || std::fwrite(bytes, 1, count, file) == count;
}

LamePtr MakeEncoder(int sampleRate, int channels, const Mp3MakerOptions& options) {
  LamePtr lame(lame_init(), &lame_close);
  if (!lame) return lame;
  lame_global_flags* flags = lame.get();
  lame_set_in_samplerate(flags, sampleRate);
  lame_set_out_samplerate(flags, sampleRate);
  lame_set_num_channels(flags, channels);
  lame_set_mode(flags, channels == 1 ? MONO : JOINT_STEREO);
  lame_set_quality(flags, options.quality);
  if (options.vbr) {
    lame_set_VBR(flags, vbr_default);
    lame_set_VBR_q(flags, options.vbrQuality);
  } else {
    lame_set_VBR(flags, vbr_off);
    lame_set_brate(flags, options.bitrateKbps);
    lame_set_free_format(flags, options.freeFormat ? 1 : 0);
  }
  lame_set_bWriteVbrTag(flags, options.infoTag ? 1 : 0);
  lame_set_write_id3tag_automatic(flags, 0);
  if (lame_init_params(flags) < 0) lame.reset();
  return lame;
}

}  // namespace

bool WriteLongMp3File(const std::string& path, uint64_t frames, int sampleRate, int channels,
                      const Mp3MakerOptions& options, const PcmSource& source) {
  LamePtr lame = MakeEncoder(sampleRate, channels, options);
  std::unique_ptr<std::FILE, decltype(&std::fclose)> file(std::fopen(path.c_str(), "wb"),
                                                          &std::fclose);
  if (!lame || !file) return false;
  const Bytes id3v2 = options.id3v2Bytes > 0 ? Id3v2Tag(options.id3v2Bytes) : Bytes{};
  if (!Put(file.get(), id3v2.data(), id3v2.size())) return false;
  const long audioStart = std::ftell(file.get());
  constexpr uint32_t kChunkFrames = 8192;
  std::vector<int16_t> pcm(static_cast<size_t>(kChunkFrames) * channels);
  Bytes mp3(static_cast<size_t>(1.25 * kChunkFrames) + 7200);
  for (uint64_t done = 0; done < frames;) {
    const uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(kChunkFrames, frames - done));
    source(done, count, pcm.data());
    const int bytes =
        channels == 2
            ? lame_encode_buffer_interleaved(lame.get(), pcm.data(), static_cast<int>(count),
                                             mp3.data(), static_cast<int>(mp3.size()))
            : lame_encode_buffer(lame.get(), pcm.data(), nullptr, static_cast<int>(count),
                                 mp3.data(), static_cast<int>(mp3.size()));
    if (bytes < 0 || !Put(file.get(), mp3.data(), static_cast<size_t>(bytes))) return false;
    done += count;
  }
  const int flushed = lame_encode_flush(lame.get(), mp3.data(), static_cast<int>(mp3.size()));
  if (flushed < 0 || !Put(file.get(), mp3.data(), static_cast<size_t>(flushed))) return false;
  Bytes tail(options.zeroBytes, 0);
  for (const Bytes& tag : {options.apeTag ? ApeTag() : Bytes{}, options.id3v1 ? Id3v1Tag() : Bytes{}})
    tail.insert(tail.end(), tag.begin(), tag.end());
  if (!Put(file.get(), tail.data(), tail.size())) return false;
  if (options.infoTag) {
    // The Info tag replaces the placeholder frame LAME wrote first.
    const size_t tagBytes = lame_get_lametag_frame(lame.get(), mp3.data(), mp3.size());
    if (tagBytes == 0 || tagBytes > mp3.size() ||
        std::fseek(file.get(), audioStart, SEEK_SET) != 0 || !Put(file.get(), mp3.data(), tagBytes))
      return false;
  }
  return std::fclose(file.release()) == 0;
}

std::vector<int16_t> DecodeMp3File(const std::string& path) {
  Mpg123Decoder decoder;
  std::vector<int16_t> pcm;
  uint8_t block[8192];
  size_t bytes = 0;
  while (decoder.IsOpen() || decoder.Open(path)) {
    if (decoder.Decode(block, sizeof block, bytes) != Mpg123Decoder::DecodeStatus::Block) break;
    pcm.insert(pcm.end(), reinterpret_cast<int16_t*>(block),
               reinterpret_cast<int16_t*>(block) + bytes / 2);
  }
  return pcm;
}

bool WriteMp3File(const std::string& path, const std::vector<int16_t>& samples, int sampleRate,
                  int channels, const Mp3MakerOptions& options) {
  const uint64_t frames = samples.size() / static_cast<size_t>(channels);
  return WriteLongMp3File(path, frames, sampleRate, channels, options,
                          [&](uint64_t first, uint32_t count, int16_t* out) {
                            std::copy_n(samples.begin() + static_cast<ptrdiff_t>(first * channels),
                                        static_cast<size_t>(count) * channels, out);
                          });
}

const EncodedMp3& CachedMp3(int sampleRate, int channels, uint32_t frames,
                            const Mp3MakerOptions& options) {
  static std::map<std::string, EncodedMp3> cache;
  static const std::filesystem::path folder = [] {
    const char* base = std::getenv("SNIPOLA_TEST_TMP");
    const std::filesystem::path root =
        (base ? std::filesystem::path(base) : std::filesystem::temp_directory_path()) /
        ("mp3-cache-" + std::to_string(::getpid()));
    std::filesystem::create_directories(root);
    std::atexit([] { std::filesystem::remove_all(folder); });
    return root;
  }();
  char key[128];
  std::snprintf(key, sizeof key, "%d-%d-%u-%d-%d%d-%zu-%d%d%d%d-%zu", sampleRate, channels, frames,
                options.bitrateKbps, options.vbr, options.vbrQuality, options.id3v2Bytes,
                options.id3v1, options.apeTag, options.infoTag, options.freeFormat,
                options.zeroBytes);
  auto found = cache.find(key);
  if (found == cache.end()) {
    EncodedMp3 made{(folder / (std::string(key) + ".mp3")).string(),
                    MakeTestSignal(frames, channels, sampleRate)};
    WriteMp3File(made.path, made.pcm, sampleRate, channels, options);
    found = cache.emplace(key, std::move(made)).first;
  }
  return found->second;
}
