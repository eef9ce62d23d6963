// SPDX-License-Identifier: GPL-3.0-or-later
// The tags of a written file: times of timed tags mapped into the pieces, the checked stream
// TagLib edits through, and every field of a tagged source read back with TagLib after a cut to
// MP3 and WAV, with edits and without the source's tags; a write that fails is reported.
#include "tags/export_tags.h"

#include <gtest/gtest.h>

#include "support/export_fakes.h"
#include "support/mp3_maker.h"
#include "support/tagged_files.h"
#include "support/test_files.h"
#include "tags/checked_file_stream.h"

namespace {

const std::vector<TagPiece> kOne{{1000, 5000}};
const std::vector<TagPiece> kTwo{{0, 2000}, {6000, 10000}};  // the unmarked export's two pieces

std::string Text(const std::optional<std::pair<int64_t, int64_t>>& span) {
  return span ? std::to_string(span->first) + "-" + std::to_string(span->second) : "none";
}

TEST(TagTimeline, MomentsAndSpansLandInThePiecesThatHoldThem) {
  const std::tuple<const std::vector<TagPiece>*, int64_t, int64_t, std::string> rows[] = {
      {&kOne, 1000, 1000, "0-0"},       {&kOne, 4999, 4999, "3999-3999"},
      {&kOne, 5000, 5000, "none"},      {&kOne, 999, 999, "none"},
      {&kTwo, 6000, 6000, "2000-2000"}, {&kTwo, 2000, 2000, "none"},
      {&kOne, 0, 2000, "0-1000"},       {&kOne, 4000, 9000, "3000-4000"},
      {&kOne, 5000, 6000, "none"},      {&kOne, 0, 1000, "none"},
      {&kTwo, 1000, 7000, "1000-3000"}, {&kTwo, 1999, 6001, "1999-2001"},
  };
  for (const auto& [pieces, begin, end, expected] : rows) {
    EXPECT_EQ(Text(MapTagSpan(*pieces, begin, end)), expected) << begin << "-" << end;
    if (begin == end) {
      const auto at = MapTagTime(*pieces, begin);
      EXPECT_EQ(Text(at ? std::optional(std::pair(*at, *at)) : std::nullopt), expected);
    }
  }
  EXPECT_EQ(TagPiecesLengthMs(kTwo), 6000);
}

// Bytes moved through a buffer of 3 so that every move takes several steps.
TEST(CheckedFileStream, InsertsReplacesAndRemovesBlocks) {
  TempDir dir;
  const std::string path = dir.File("f");
  const std::pair<std::function<void(CheckedFileStream&)>, std::string> rows[] = {
      {[](auto& s) { s.insert("ab", 2, 0); }, "01ab23456789"},
      {[](auto& s) { s.insert("ab", 2, 5); }, "01ab789"},
      {[](auto& s) { s.insert("ab", 4, 2); }, "0123ab6789"},
      {[](auto& s) { s.insert("abc", 8, 2); }, "01234567abc"},
      {[](auto& s) { s.insert("a", 8, 2); }, "01234567a"},
      {[](auto& s) { s.removeBlock(0, 3); }, "3456789"},
      {[](auto& s) { s.seek(-1, TagLib::IOStream::End), s.writeBlock("x"); }, "012345678x"},
      {[](auto& s) {
         s.seek(7);
         const TagLib::ByteVector tail = s.readBlock(10);  // to the end, and no further
         s.insert(tail + TagLib::ByteVector::fromUInt(s.tell()), 0, 0);
       },
       std::string("789\0\0\0\x0A", 7) + "0123456789"},
  };
  const size_t openFiles = FilesIn("/proc/self/fd");
  for (const auto& [edit, expected] : rows) {
    WriteText(path, "0123456789");
    CheckedFileStream stream(path, 3);
    edit(stream);
    EXPECT_FALSE(stream.Failed());
    EXPECT_EQ(ReadText(path), expected);
  }
  EXPECT_TRUE(CheckedFileStream(dir.File("missing")).Failed());
  EXPECT_EQ(FilesIn("/proc/self/fd"), openFiles);
}

struct Row {
  bool wavSource, wavOutput;
  std::vector<TagPiece> pieces;
  bool keepSource;
  const char* tags;      // --tag arguments, each ending in ';'
  std::string expected;  // DescribeTags of the output
};

const std::string kChaptersInOne = "|CHAP=c2:0-3000,c3:3000-5000,|CTOC=c2,c3,|SYLT=1000b,ETCO1500|v3";
const Row kRows[] = {
    {false, false, {{3000, 8000}}, true, "",
     "title=Song|artist=Band|album=Album|track=3/9|year=2021|genre=Rock|comment=nice|TLEN=5000|"
     "APIC=200" + kChaptersInOne + "|v1=Song v1/0|ape=Song ape"},
    {false, false, {{3000, 8000}}, true, "title=New;genre=;track=12/14;",
     "title=New|artist=Band|album=Album|track=12/14|year=2021|genre=|comment=nice|TLEN=5000|"
     "APIC=200" + kChaptersInOne + "|v1=New/12|ape=New"},
    {false, false, {{10000, 11000}}, true, "",  // past every chapter and lyric
     "title=Song|artist=Band|album=Album|track=3/9|year=2021|genre=Rock|comment=nice|TLEN=1000|"
     "APIC=200|CHAP=|CTOC=|SYLT=|v3|v1=Song v1/0|ape=Song ape"},
    {false, false, {{3000, 8000}}, false, "title=Only;",
     "title=Only|artist=|album=|track=|year=0|genre=|comment=|TLEN=|APIC=|CHAP=|CTOC=|SYLT=|v4"},
    {false, true, kTwo, true, "",
     "title=Song|artist=Band|album=Album|track=3/9|year=2021|genre=Rock|comment=nice|TLEN=6000|"
     "APIC=200|CHAP=c1:0-2000,c3:2000-6000,|CTOC=c1,c3,|SYLT=1000a,5000c,|v3|"
     "info=Song,Band,Album,3/9,2021,Rock,nice,"},
    {true, false, {{0, 1000}}, true, "artist=Other;",
     "title=Song|artist=Other|album=Album|track=3/9|year=2021|genre=Rock|comment=nice|TLEN=|"
     "APIC=200|CHAP=|CTOC=|SYLT=|v4"},
};

class ExportTags : public ::testing::TestWithParam<Row> {
 protected:
  // A short untagged file of the format, as an export writes it.
  std::string Written(bool wav, const std::string& name) {
    const std::string path = dir.File(name);
    const auto pcm = MakeTestSignal(4410, 2, 44100);
    if (wav) {
      WriteWavFile(path, 44100, 2, pcm);
    } else {
      EXPECT_TRUE(WriteMp3File(path, pcm, 44100, 2));
    }
    return path;
  }
  ExportTagsJob Job(const Row& row) {
    ExportTagsJob job{Written(row.wavSource, "source"), row.wavSource ? TagFileFormat::Wav
                                                                      : TagFileFormat::Mp3,
                      Written(row.wavOutput, "out"),
                      row.wavOutput ? TagFileFormat::Wav : TagFileFormat::Mp3, row.pieces,
                      {row.keepSource, {}}};
    for (std::string tags = row.tags; !tags.empty(); tags.erase(0, tags.find(';') + 1)) {
      EXPECT_FALSE(AddTagOption(tags.substr(0, tags.find(';')), job.edits));
    }
    // (A WAV output has no place for ID3v1 or APEv2: its MP3 source has ID3v2 alone.)
    EXPECT_TRUE(AddTestTags(job.sourcePath, row.wavSource, row.wavOutput));
    return job;
  }
  TempDir dir;
};

TEST_P(ExportTags, EveryFieldReadsBack) {
  const Row& row = GetParam();
  const ExportTagsJob job = Job(row);
  const auto source = ReadFileBytes(job.sourcePath);
  ASSERT_TRUE(WriteExportTags(job));
  EXPECT_EQ(DescribeTags(job.outputPath, row.wavOutput), row.expected);
  EXPECT_EQ(ReadFileBytes(job.sourcePath), source);  // the source is only read
}

INSTANTIATE_TEST_SUITE_P(Rows, ExportTags, ::testing::ValuesIn(kRows));

// A disk that fills up while the tags go in, and an output that cannot be opened, fail.
TEST_F(ExportTags, AWriteThatFailsIsReported) {
  for (const bool wav : {false, true}) {
    ExportTagsJob job = Job({false, wav, kTwo, true, "", ""});
    {
      const FileSizeLimit limit(std::filesystem::file_size(job.outputPath) + 16);
      EXPECT_FALSE(WriteExportTags(job)) << wav;
    }
    job.outputPath = dir.File("missing");
    EXPECT_FALSE(WriteExportTags(job));
  }
}

}  // namespace
