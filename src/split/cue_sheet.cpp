// SPDX-License-Identifier: GPL-3.0-or-later
// The CUE sheet reader; see cue_sheet.h.
#include "split/cue_sheet.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

// The code points of Windows-1252's bytes 0x80 to 0x9F (0xFFFD where the
// code page leaves a byte undefined); every other byte is its own code point.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// True when every sequence is well-formed UTF-8 (no overlong forms, no
// surrogates, nothing past U+10FFFF).
bool IsUtf8(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    const auto lead = static_cast<unsigned char>(text[at]);
    int more = 0;
    char32_t code = 0;
    if (lead < 0x80) {
      ++at;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      more = 1, code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      more = 2, code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      more = 3, code = lead & 0x07;
    } else {
      return false;
    }
    if (at + more >= text.size()) return false;
    for (int i = 1; i <= more; ++i) {
      const auto next = static_cast<unsigned char>(text[at + i]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    if ((more == 2 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
        (more == 3 && (code < 0x10000 || code > 0x10FFFF))) {
      return false;
    }
    at += more + 1;
  }
  return true;
}

std::string Upper(std::string word) {
  for (char& c : word) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return word;
}

// The words of a line: blank-separated, or in double quotes (which may hold
// blanks). False for a quote that is not closed.
bool SplitWords(const std::string& line, std::vector<std::string>& words) {
  words.clear();
  size_t at = 0;
  while (true) {
    at = line.find_first_not_of(" \t", at);
    if (at == std::string::npos) return true;
    if (line[at] == '"') {
      const size_t close = line.find('"', at + 1);
      if (close == std::string::npos) return false;
      words.push_back(line.substr(at + 1, close - at - 1));
      at = close + 1;
    } else {
      const size_t stop = std::min(line.find_first_of(" \t", at), line.size());
      words.push_back(line.substr(at, stop - at));
      at = stop;
    }
  }
}

bool AllDigits(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// mm:ss:ff in CUE frames; -1 when malformed. Minutes take up to seven digits.
int64_t CueTime(const std::string& text) {
  const size_t first = text.find(':');
  if (first == std::string::npos || first == 0 || first > 7) return -1;
  if (text.size() != first + 6 || text[first + 3] != ':') return -1;
  const std::string minutes = text.substr(0, first);
  const std::string seconds = text.substr(first + 1, 2);
  const std::string frames = text.substr(first + 4, 2);
  if (!AllDigits(minutes) || !AllDigits(seconds) || !AllDigits(frames)) return -1;
  const int64_t ss = std::stoll(seconds);
  const int64_t ff = std::stoll(frames);
  if (ss >= 60 || ff >= kCueFramesPerSecond) return -1;
  return (std::stoll(minutes) * 60 + ss) * kCueFramesPerSecond + ff;
}

std::string RestOf(const std::vector<std::string>& words, size_t from) {
  std::string text;
  for (size_t i = from; i < words.size(); ++i) text += (i > from ? " " : "") + words[i];
  return text;
}

SampleIndex SampleOfCueFrames(const AudioFileInfo& info, int64_t cueFrames) {
  return SampleIndex((cueFrames * info.SampleRate * 2 + kCueFramesPerSecond) /
                     (2 * kCueFramesPerSecond));
}

}  // namespace

std::string CueTextAsUtf8(const std::string& bytes) {
  std::string_view text(bytes);
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  if (IsUtf8(text)) return std::string(text);
  std::string converted;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    AppendUtf8(converted, byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : byte);
  }
  return converted;
}

CueReadResult ReadCueSheet(const std::string& bytes) {
  CueReadResult result;
  CueSheet& sheet = result.Sheet;
  std::istringstream lines(CueTextAsUtf8(bytes));
  std::string line;
  std::vector<std::string> words;
  int number = 0;
  bool fileSeen = false;
  const auto refuse = [&](const std::string& why) {
    result.Reason = "line " + std::to_string(number) + ": " + why;
    return result;
  };
  while (std::getline(lines, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!SplitWords(line, words)) return refuse("a quote is not closed");
    if (words.empty()) continue;
    const std::string command = Upper(words[0]);
    CueTrack* track = sheet.Tracks.empty() ? nullptr : &sheet.Tracks.back();
    if (command == "REM") {
      const std::string key = words.size() > 1 ? Upper(words[1]) : "";
      if (key == "DATE") sheet.Date = RestOf(words, 2);
      if (key == "GENRE") sheet.Genre = RestOf(words, 2);
    } else if (command == "TITLE" || command == "PERFORMER") {
      if (words.size() < 2) return refuse(command + " needs a text");
      std::string& field = command == "TITLE" ? (track ? track->Title : sheet.Title)
                                              : (track ? track->Performer : sheet.Performer);
      field = RestOf(words, 1);
    } else if (command == "FILE") {
      if (words.size() < 2) return refuse("FILE needs a file name");
      if (fileSeen && words[1] != sheet.FileName) {
        return refuse("the sheet names a second FILE; only a sheet of one file can be applied");
      }
      fileSeen = true;
      sheet.FileName = words[1];
    } else if (command == "TRACK") {
      if (words.size() != 3 || !AllDigits(words[1]) || words[1].size() > 3) {
        return refuse("TRACK needs a number and a type (TRACK 01 AUDIO)");
      }
      sheet.Tracks.push_back(CueTrack{std::stoi(words[1]), -1, {}, {}});
    } else if (command == "INDEX") {
      if (!track) return refuse("INDEX before the first TRACK");
      if (words.size() != 3 || !AllDigits(words[1]) || words[1].size() > 2) {
        return refuse("INDEX needs a number and a time (INDEX 01 mm:ss:ff)");
      }
      const int64_t at = CueTime(words[2]);
      if (at < 0) return refuse("INDEX needs its time as mm:ss:ff, not '" + words[2] + "'");
      if (std::stoi(words[1]) == 1) {
        if (track->StartCueFrames >= 0) return refuse("a second INDEX 01 in one TRACK");
        track->StartCueFrames = at;
      }
    } else if (command != "FLAGS" && command != "ISRC" && command != "PREGAP" &&
               command != "POSTGAP" && command != "CATALOG" && command != "CDTEXTFILE" &&
               command != "SONGWRITER") {
      return refuse("unknown command '" + words[0] + "'");
    }
  }
  if (sheet.Tracks.empty()) {
    result.Reason = "the sheet holds no TRACK";
    return result;
  }
  for (const CueTrack& track : sheet.Tracks) {
    if (track.StartCueFrames < 0) {
      result.Reason = "track " + std::to_string(track.Number) + " has no INDEX 01";
      return result;
    }
  }
  return result;
}

CueReadResult ReadCueFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::string bytes;
  constexpr size_t kMaxBytes = 1 << 20;  // far beyond any sheet of 99 tracks
  if (file) {
    bytes.resize(kMaxBytes + 1);
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(file.gcount()));
  }
  if (!file && !file.eof()) return CueReadResult{{}, "Cannot read file " + path};
  if (bytes.size() > kMaxBytes) return CueReadResult{{}, path + " is too large for a CUE sheet"};
  return ReadCueSheet(bytes);
}

SplitPieces PiecesOfCue(const CueSheet& sheet, const AudioFileInfo& info) {
  std::vector<SampleIndex> starts;
  for (size_t i = 1; i < sheet.Tracks.size(); ++i) {
    const CueTrack& track = sheet.Tracks[i];
    const CueTrack& before = sheet.Tracks[i - 1];
    const SampleIndex start = SampleOfCueFrames(info, track.StartCueFrames);
    const std::string name =
        "track " + std::to_string(track.Number) + " starts at " + PieceTimeText(info, start);
    if (start >= info.LengthFrames) {
      return SplitPieces{{},
                         name + ", at or past the end of the file (" +
                             PieceTimeText(info, info.LengthFrames) + ")"};
    }
    if (track.StartCueFrames <= before.StartCueFrames || start.Frame() <= 0) {
      return SplitPieces{{}, name + ", not after track " + std::to_string(before.Number)};
    }
    starts.push_back(start);
  }
  SplitPieces pieces = PiecesAtSamples(info, starts);
  for (size_t i = 0; i < pieces.Pieces.size(); ++i) {
    pieces.Pieces[i].Title = sheet.Tracks[i].Title;
    pieces.Pieces[i].Performer = sheet.Tracks[i].Performer;
  }
  return pieces;
}

SplitSheet SheetOfCue(const CueSheet& sheet, const AudioFileInfo& info,
                      const std::string& sourceFileName, std::string& reason) {
  SplitSheet split;
  SplitPieces pieces = PiecesOfCue(sheet, info);
  reason = pieces.Reason;
  if (!pieces.Ok()) return split;
  split.Title = sheet.Title;
  split.Performer = sheet.Performer;
  split.Date = sheet.Date;
  split.Genre = sheet.Genre;
  split.Pieces = std::move(pieces.Pieces);
  const std::string opened = std::filesystem::path(sourceFileName).filename().string();
  if (!sheet.FileName.empty() &&
      std::filesystem::path(sheet.FileName).filename().string() != opened) {
    split.Notes.push_back("The sheet names the file " + sheet.FileName +
                          "; its times are applied to " + opened);
  }
  return split;
}
