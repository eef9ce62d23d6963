// SPDX-License-Identifier: GPL-3.0-or-later
// The split dialog's logic: the pieces each source makes as typed, the
// silence search handed back through the event loop, and the job it builds
// or the message that refuses it.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "export/export_options.h"
#include "split/split_model.h"
#include "support/core_application.h"
#include "support/test_files.h"

namespace {

constexpr int kRate = 8000;

AudioFileInfo Info(int32_t type, int32_t rate, int64_t frames) {
  AudioFileInfo info = MakeInfo(type, rate, 1, static_cast<int32_t>(frames * 1000 / rate), 128);
  info.LengthFrames = SampleIndex(frames);
  return info;
}

std::string Describe(const SplitModel& model) {
  std::string text;
  for (const SplitPiece& p : model.Sheet().Pieces) {
    text += std::to_string(p.Begin.Frame()) + "-" + std::to_string(p.End.Frame()) + p.Title + " ";
  }
  return text + "| " + model.Status();
}

std::vector<int64_t> Frames(const std::vector<SampleIndex>& points) {
  std::vector<int64_t> frames;
  for (const SampleIndex& p : points) frames.push_back(p.Frame());
  return frames;
}

TEST(SplitModel, MakesThePiecesOfEachSourceAsTyped) {
  TempDir dir;
  WriteText(dir.File("set.cue"),
            "FILE \"other.wav\" WAVE\nTRACK 01 AUDIO\nTITLE \"A\"\nINDEX 01 00:00:00\n"
            "TRACK 02 AUDIO\nTITLE \"B\"\nINDEX 01 00:04:00\n");
  struct Row {
    SplitSource source;
    std::string text;
    std::string expected;
  } rows[] = {
      {SplitSource::Times, "0:02, 0:05", "0-16000 16000-40000 40000-80000 | 3 pieces"},
      {SplitSource::Times, "1:75", "| '1:75' is not a time"},
      {SplitSource::Every, "0:03", "0-24000 24000-48000 48000-72000 72000-80000 | 4 pieces"},
      {SplitSource::Parts, "1", "0-80000 | 1 piece"},
      {SplitSource::Parts, "two", "| 'two' is not a number of parts"},
      {SplitSource::Cue, "", "| choose a CUE sheet"},
      {SplitSource::Cue, dir.File("set.cue"),
       "0-32000A 32000-80000B | 2 pieces; The sheet names the file other.wav; its times are "
       "applied to song.wav"},
      {SplitSource::Cue, dir.File("gone.cue"), "| Cannot read file " + dir.File("gone.cue")},
      {SplitSource::Silence, "-48dB", "| '-48dB' is not a number"},
      {SplitSource::Silence, "3", "| the threshold must lie between -96 and 0 dBFS"},
  };
  for (const Row& row : rows) {
    SplitModel model("/music/song.wav", Info(AudioFileInfo::kTypeWav, kRate, 10 * kRate));
    model.Source = row.source;
    model.TimesText = model.EveryText = model.PartsText = model.CueFileName = model.ThresholdText =
        row.text;
    int changes = 0;
    QObject::connect(&model, &SplitModel::Changed, [&] { ++changes; });
    model.MakePieces();
    EXPECT_EQ(Describe(model), row.expected) << row.text;
    EXPECT_EQ(changes, 1);
  }
  // The points are where pieces meet, once each.
  SplitModel model("/music/song.wav", Info(AudioFileInfo::kTypeWav, kRate, 10 * kRate));
  model.TimesText = "0:02, 0:05";
  model.MakePieces();
  EXPECT_EQ(Frames(model.Points()), (std::vector<int64_t>{16000, 40000}));
  EXPECT_EQ(model.TemplateShown(), kPlainNameTemplate);
  model.SetTitle(1, "Middle");
  model.SetTitle(3, "none such");
  EXPECT_EQ(model.Sheet().Pieces[1].Title, "Middle");
  EXPECT_EQ(model.TemplateShown(), kTitledNameTemplate);
}

TEST(SplitModel, FindsSilencesOnWorkersAndDropsAStoppedSearch) {
  EnsureCoreApplication();
  TempDir dir;
  // 8 s: sound, 1 s of silence at 2 s, 0.8 s at 6 s.
  std::vector<int16_t> pcm = MakeTestSignal(8 * kRate, 1, kRate);
  for (const auto& [from, to] : {std::pair{2 * kRate, 3 * kRate}, {6 * kRate, 6.8 * kRate}}) {
    std::fill(pcm.begin() + from, pcm.begin() + static_cast<int>(to), int16_t{0});
  }
  const std::string path = dir.File("song.wav");
  WriteWavFile(path, kRate, 1, pcm);
  const AudioFileInfo info = Info(AudioFileInfo::kTypeWav, kRate, 8 * kRate);

  for (const bool trim : {false, true}) {
    SplitModel model(path, info, nullptr, 2);
    model.Source = SplitSource::Silence;
    model.Trim = trim;
    model.MakePieces();
    EXPECT_TRUE(model.Finding());
    EXPECT_EQ(model.Status(), kFindingStatus);
    std::string problem;
    EXPECT_FALSE(model.Job(problem));
    EXPECT_EQ(problem, kStillFindingMessage);
    ASSERT_TRUE(WaitUntil([&] { return !model.Finding(); }, 10000));
    const std::vector<int64_t> points = trim ? std::vector<int64_t>{16000, 24000, 48000, 54400}
                                             : std::vector<int64_t>{20000, 51200};
    EXPECT_EQ(Frames(model.Points()), points);
    EXPECT_EQ(model.Status(), "3 pieces");
  }
  // A search overtaken by another source: what it still sends is dropped.
  SplitModel model(path, info, nullptr, 2);
  model.Source = SplitSource::Silence;
  model.MakePieces();
  model.Source = SplitSource::Parts;
  model.MakePieces();
  EXPECT_FALSE(model.Finding());
  WaitUntil([] { return false; }, 300);
  EXPECT_EQ(Describe(model), "0-32000 32000-64000 | 2 pieces");
}

TEST(SplitModel, BuildsTheJobOrSaysWhatToChange) {
  const AudioFileInfo mp3 = Info(AudioFileInfo::kTypeMp3, 44100, 10 * 44100);
  struct Row {
    const char* what;
    std::function<void(SplitModel&)> change;
    std::string problem;  // empty: the job is built
  } rows[] = {
      {"as chosen", [](SplitModel&) {}, ""},
      {"fade text", [](SplitModel& m) { m.FadeOutText = "2s"; }, kFadeBoxError},
      {"fade too large", [](SplitModel& m) { m.FadeInText = "99999999999"; },
       NotValidIntegerText("99999999999")},
      {"lossless ignores fades", [](SplitModel& m) { m.BitrateIndex = 1, m.FadeInText = "x"; }, ""},
      {"no pieces", [](SplitModel& m) { m.TimesText = "9:00", m.MakePieces(); },
       "No pieces to write: the split point 9:00.000 lies at or past the end of the file "
       "(0:10.000)"},
      {"no folder", [](SplitModel& m) { m.Folder.clear(); }, kNoFolderMessage},
      {"bad template", [](SplitModel& m) { m.NameTemplate = "{x}"; },
       "unknown field {x} in the name template (use {n}, {n:02}, {title}, {artist}, {album}, "
       "{stem})"},
  };
  for (const Row& row : rows) {
    SplitModel model("/music/song.mp3", mp3);
    model.TimesText = "0:04";
    model.MakePieces();
    model.SetTitle(0, "Intro");
    model.SetTitle(1, "Song");
    model.FadeIn = true;
    model.FadeInText = "3";
    row.change(model);
    std::string problem = "stale";
    const std::optional<SplitJob> job = model.Job(problem);
    EXPECT_EQ(problem, row.problem) << row.what;
    EXPECT_EQ(job.has_value(), row.problem.empty()) << row.what;
  }
  SplitModel model("/music/song.mp3", mp3);
  model.TimesText = "0:04";
  model.MakePieces();
  model.SetTitle(1, "Song");
  model.BitrateIndex = 3;  // As Origin, Lossless, 32, 40
  model.FadeIn = model.FadeOut = true;
  model.FadeInText = "3", model.FadeOutText = "2";
  std::string problem;
  std::optional<SplitJob> job = model.Job(problem);
  ASSERT_TRUE(job) << problem;
  EXPECT_EQ(std::tuple(job->Folder, job->SourceFileName, job->Route, job->BitrateKbps,
                       job->Lossless, job->Existing),
            std::tuple(std::string("/music"), std::string("/music/song.mp3"), ExportRoute::Mp3,
                       40u, false, ExistingTarget::Ask));
  EXPECT_TRUE(job->FadeIn && job->FadeInSeconds == 3 && job->FadeOut && job->FadeOutSeconds == 2);
  EXPECT_EQ(job->Sheet.Pieces[1].Title, "Song");
  EXPECT_EQ(job->Sheet.Pieces[1].Begin, SampleIndex(4 * 44100));
  model.BitrateIndex = 1;
  model.FadeOut = true;
  job = model.Job(problem);
  ASSERT_TRUE(job);
  EXPECT_TRUE(job->Lossless && !job->FadeIn && !job->FadeOut);
  model.Mp3 = false;  // the bitrate list's "Lossless" no longer counts
  job = model.Job(problem);
  EXPECT_TRUE(job->Route == ExportRoute::Wav && !job->Lossless && job->FadeOut);
  // A rate MP3 cannot hold offers no bitrate: MP3 is refused, WAV goes.
  SplitModel odd("/music/odd.wav", Info(AudioFileInfo::kTypeWav, 1000, 5000));
  odd.Source = SplitSource::Parts;
  odd.MakePieces();
  EXPECT_FALSE(odd.Job(problem));
  EXPECT_EQ(problem, Mp3RateProblem(odd.Info()));
  odd.Mp3 = false;
  EXPECT_TRUE(odd.Job(problem)) << problem;
  EXPECT_EQ(SplitModel::PieceText(3, 12), "Piece 3 of 12");
}

}  // namespace
