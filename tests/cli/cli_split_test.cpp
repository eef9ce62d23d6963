// SPDX-License-Identifier: GPL-3.0-or-later
// snipola-cli split: its options, the pieces --dry-run lists, and existing
// pieces refused without --overwrite.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/cli_run.h"
#include "support/test_files.h"

namespace {

class CliSplit : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteWavFile(wav, 8000, 1, MakeTestSignal(8000 * 10, 1, 8000));
    WriteText(cue,
              "TITLE Disc\nFILE other.wav WAVE\nTRACK 01 AUDIO\nTITLE \"A: b\"\n"
              "INDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 01 00:04:00\n");
  }
  CliRun Split(CliArgs args) {
    args.insert(args.begin(), "split");
    for (std::string& word : args) word = word == "IN" ? wav : word == "DIR" ? dir.File("") : word;
    return RunCliCaptured(args);
  }
  TempDir dir;
  std::string wav = dir.File("set.wav");
  std::string cue = dir.File("set.cue");
};

TEST_F(CliSplit, UsageErrorsGiveAReasonAndWriteNothing) {
  const std::pair<CliArgs, const char*> rows[] = {
      {{"IN", "-d", "DIR"}, "give exactly one of --at"},
      {{"IN", "-d", "DIR", "--at", "1", "--parts", "2"}, "give exactly one of --at"},
      {{"IN", "--at", "1"}, "-d DIR is missing"},
      {{"IN", "-d", "DIR", "--at", "1,x"}, "--at: 'x' is not a time"},
      {{"IN", "-d", "DIR", "--every", "-1"}, "--every '-1' is not a time"},
      {{"IN", "-d", "DIR", "--parts", "two"}, "--parts 'two' is not a number of pieces"},
      {{"IN", "-d", "DIR", "--at", "1", "--trim"}, "--trim goes with --silence"},
      {{"IN", "-d", "DIR", "--at", "1", "--threshold", "-40"}, "--threshold goes with --silence"},
      {{"IN", "-d", "DIR", "--silence", "--threshold", "loud"},
       "--threshold 'loud' is not a number"},
      {{"IN", "-d", "DIR", "--silence", "--cut-at", "2"}, "the cut position must lie between"},
      {{"IN", "-d", "DIR", "--at", "1", "--lossless"}, "--lossless needs an MP3 source"},
      {{"IN", "-d", "DIR", "--at", "1", "--name", "{x}"}, "unknown field {x}"},
      {{"IN", "-d", "DIR", "--at", "1", "--name", "same"}, "pieces 1 and 2 would both be named"},
      {{"IN", "-d", "DIR", "--at", "1", "--tag", "mood=x"}, "unknown tag key 'mood'"},
      {{"IN", "-d", "DIR", "--at", "1", "--jobs", "0"}, "--jobs '0' is not a number"},
  };
  for (const auto& [words, says] : rows) {
    const CliRun run = Split(words);
    EXPECT_EQ(run.exitCode, 2) << says;
    EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
  }
  EXPECT_EQ(Split({"IN", "-d", "DIR", "--at", "10"}).exitCode, 1);  // at the end
  EXPECT_EQ(FilesIn(dir.path()), 2u);
  EXPECT_NE(Split({"--help"}).out.find("--min-silence"), std::string::npos);
}

TEST_F(CliSplit, DryRunListsThePiecesAndOverwriteIsAsked) {
  const CliRun dry = Split({"IN", "--cue", cue, "--dry-run"});
  EXPECT_EQ(dry.exitCode, 0);
  EXPECT_EQ(dry.out,
            "  1      0:00.000      0:04.000      0:04.000  A: b  -> 01 A_ b.wav\n"
            "  2      0:04.000      0:10.000      0:06.000    -> 02.wav\n");
  EXPECT_EQ(dry.err, "The sheet names the file other.wav; its times are applied to set.wav\n");
  EXPECT_EQ(FilesIn(dir.path()), 2u);

  const CliArgs every = {"IN", "-d", "DIR", "--every", "0:03", "--format", "wav"};
  EXPECT_EQ(Split(every).exitCode, 0);
  EXPECT_EQ(FilesIn(dir.path()), 6u);
  const CliRun again = Split(every);
  EXPECT_EQ(again.exitCode, 1);
  EXPECT_NE(again.err.find("4 pieces exist already"), std::string::npos) << again.err;
  CliArgs overwrite = every;
  overwrite.push_back("--overwrite");
  EXPECT_EQ(Split(overwrite).exitCode, 0);
  EXPECT_EQ(FilesIn(dir.path()), 6u);
}

}  // namespace
