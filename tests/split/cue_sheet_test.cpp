// SPDX-License-Identifier: GPL-3.0-or-later
// The CUE sheet reader: the fields splitting needs, the encodings sheets come
// in, and faults refused with their line.
#include <gtest/gtest.h>

#include "split/cue_sheet.h"
#include "support/test_files.h"

namespace {

constexpr const char* kSheet =
    "REM GENRE \"Live Jazz\"\r\n"
    "REM DATE 1999\r\n"
    "REM COMMENT ignored\r\n"
    "PERFORMER \"The Band\"\r\n"
    "TITLE \"Night\"\r\n"
    "FILE \"night.wav\" WAVE\r\n"
    "  TRACK 01 AUDIO\r\n"
    "    TITLE \"Intro\"\r\n"
    "    INDEX 01 00:00:00\r\n"
    "  TRACK 02 AUDIO\r\n"
    "    TITLE \"Long One\"\r\n"
    "    PERFORMER \"Guest\"\r\n"
    "    FLAGS DCP\r\n"
    "    INDEX 00 04:58:00\r\n"
    "    INDEX 01 05:00:74\r\n"
    "  track 3 audio\r\n"
    "    index 01 101:30:01\r\n";

TEST(CueSheet, ReadsTheFieldsOfDiscAndTracks) {
  const CueReadResult read = ReadCueSheet(kSheet);
  ASSERT_TRUE(read.Ok()) << read.Reason;
  const CueSheet& sheet = read.Sheet;
  EXPECT_EQ(sheet.Title + "|" + sheet.Performer + "|" + sheet.Date + "|" + sheet.Genre + "|" +
                sheet.FileName,
            "Night|The Band|1999|Live Jazz|night.wav");
  ASSERT_EQ(sheet.Tracks.size(), 3u);
  EXPECT_EQ(sheet.Tracks[1].StartCueFrames, (5 * 60) * 75 + 74);
  EXPECT_EQ(sheet.Tracks[2].StartCueFrames, (101 * 60 + 30) * 75 + 1);
  EXPECT_EQ(sheet.Tracks[1].Title + "|" + sheet.Tracks[1].Performer, "Long One|Guest");
  EXPECT_EQ(sheet.Tracks[2].Number, 3);

  // Applied to a two-hour file at 44100 Hz: the pieces start at the INDEX 01
  // samples, rounded; another file's name gives a note.
  AudioFileInfo info = MakeInfo(AudioFileInfo::kTypeMp3, 44100, 2, 7200000);
  info.LengthFrames = SampleIndex(int64_t{7200} * 44100);
  std::string reason;
  const SplitSheet split = SheetOfCue(sheet, info, "/music/set.mp3", reason);
  ASSERT_EQ(reason, "");
  ASSERT_EQ(split.Pieces.size(), 3u);
  EXPECT_EQ(split.Pieces[1].Begin, SampleIndex(300 * 44100 + 43512));  // 74/75 s = 43512 samples
  EXPECT_EQ(split.Pieces[2].Begin, SampleIndex(6090 * 44100 + 588));
  EXPECT_EQ(split.Pieces[2].End, info.LengthFrames);
  EXPECT_EQ(split.Title, "Night");
  EXPECT_EQ(split.Notes,
            std::vector<std::string>{"The sheet names the file night.wav; its times are applied "
                                     "to set.mp3"});
  EXPECT_TRUE(SheetOfCue(sheet, info, "/x/night.wav", reason).Notes.empty());

  info.LengthFrames = SampleIndex(int64_t{6000} * 44100);
  SheetOfCue(sheet, info, "/x/night.wav", reason);
  EXPECT_EQ(reason, "track 3 starts at 1:41:30.013, at or past the end of the file (1:40:00.000)");
}

TEST(CueSheet, TakesUtf8WithOrWithoutBomAndElseWindows1252) {
  const std::string title = "TITLE \"Caf\xC3\xA9 \xE2\x80\x9CNoir\xE2\x80\x9D\"\n";
  const std::string cp1252 = "TITLE \"Caf\xE9 \x93Noir\x94\"\n";
  const std::string track = "TRACK 01 AUDIO\nINDEX 01 00:00:00\n";
  for (const std::string& sheet : {title + track, "\xEF\xBB\xBF" + title + track, cp1252 + track}) {
    const CueReadResult read = ReadCueSheet(sheet);
    ASSERT_TRUE(read.Ok()) << read.Reason;
    EXPECT_EQ(read.Sheet.Title, "Caf\xC3\xA9 \xE2\x80\x9CNoir\xE2\x80\x9D");
  }
  // Bytes that are not well-formed UTF-8 make the whole text 1252.
  EXPECT_EQ(CueTextAsUtf8("\xC3\xA9\x81\xC0\xAF"), "\xC3\x83\xC2\xA9\xEF\xBF\xBD\xC3\x80\xC2\xAF");
  EXPECT_EQ(CueTextAsUtf8("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xE2\x82\xAC");  // a surrogate
  EXPECT_EQ(CueTextAsUtf8("\xF0\x9F\x8E\xB5"), "\xF0\x9F\x8E\xB5");
}

TEST(CueSheet, RefusesAFaultWithItsLine) {
  const std::string head = "TITLE x\nFILE a.mp3 MP3\nTRACK 01 AUDIO\n";
  const std::pair<std::string, std::string> rows[] = {
      {head + "INDEX 01 00:60:00\n", "line 4: INDEX needs its time as mm:ss:ff, not '00:60:00'"},
      {head + "INDEX 01 00:00:75\n", "line 4: INDEX needs its time as mm:ss:ff, not '00:00:75'"},
      {head + "INDEX 01 0:0:00\n", "line 4: INDEX needs its time as mm:ss:ff, not '0:0:00'"},
      {head + "INDEX 01 12345678:00:00\n",
       "line 4: INDEX needs its time as mm:ss:ff, not '12345678:00:00'"},
      {head + "INDEX 01\n", "line 4: INDEX needs a number and a time (INDEX 01 mm:ss:ff)"},
      {head + "INDEX 01 00:00:00\nINDEX 1 00:01:00\n", "line 5: a second INDEX 01 in one TRACK"},
      {"INDEX 01 00:00:00\n", "line 1: INDEX before the first TRACK"},
      {head + "TITLE \"open\n", "line 4: a quote is not closed"},
      {head + "TITLE\n", "line 4: TITLE needs a text"},
      {head + "BOGUS 1\n", "line 4: unknown command 'BOGUS'"},
      {head + "TRACK two AUDIO\n", "line 4: TRACK needs a number and a type (TRACK 01 AUDIO)"},
      {head + "INDEX 01 00:00:00\nFILE b.mp3 MP3\n",
       "line 5: the sheet names a second FILE; only a sheet of one file can be applied"},
      {head + "INDEX 00 00:00:00\n", "track 1 has no INDEX 01"},
      {"TITLE x\n", "the sheet holds no TRACK"},
  };
  for (const auto& [sheet, reason] : rows) EXPECT_EQ(ReadCueSheet(sheet).Reason, reason) << sheet;

  AudioFileInfo info = MakeInfo(AudioFileInfo::kTypeMp3, 44100, 2, 600000);
  info.LengthFrames = SampleIndex(int64_t{600} * 44100);
  const CueReadResult backwards =
      ReadCueSheet(head +
                   "INDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 01 02:00:00\n"
                   "TRACK 03 AUDIO\nINDEX 01 02:00:00\n");
  EXPECT_EQ(PiecesOfCue(backwards.Sheet, info).Reason,
            "track 3 starts at 2:00.000, not after track 2");
  EXPECT_EQ(ReadCueFile("/nonexistent/x.cue").Reason, "Cannot read file /nonexistent/x.cue");
}

}  // namespace
