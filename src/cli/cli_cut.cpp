// SPDX-License-Identifier: GPL-3.0-or-later
// snipola-cli cut: arguments, checks and the progress bar around the export
// pipeline; see cli_cut.h.
#include "cli/cli_cut.h"

#include <unistd.h>

#include <algorithm>
#include <iostream>
#include <limits>
#include <string_view>
#include <vector>

#include "audio/mp3io.h"
#include "base/clamp_to_length.h"
#include "base/file_extension.h"
#include "base/tag_edits.h"
#include "base/tick_count.h"
#include "base/time_text.h"
#include "cli/cut_signals.h"
#include "cli/stderr_dialogs.h"
#include "export/export_options.h"
#include "export/export_pipeline.h"

namespace {

constexpr const char* kUsage =
    "usage: snipola-cli cut IN -o OUT [--begin T] [--end T] [--unmarked]\n"
    "                          [--format mp3|wav] [--bitrate KBPS|origin]\n"
    "                          [--fade-in S] [--fade-out S] [--lossless] [--jobs N]\n"
    "                          [--no-tags] [--tag KEY=VALUE]...\n";

void PrintHelp(std::ostream& out) {
  out << kUsage
      << "\n"
         "Cuts the piece between --begin and --end out of the MP3 or WAV file IN and\n"
         "writes it to OUT as MP3 (constant bitrate) or 16-bit WAV. OUT is replaced\n"
         "only when the export succeeds; IN itself is never overwritten.\n"
         "\n"
         "options:\n"
         "  -o, --output OUT   the file to write (required)\n"
         "  --begin T          start of the piece (default 0)\n"
         "  --end T            end of the piece (default: the end of IN)\n"
         "                     T is seconds (60, 60.5), m:ss[.mmm] (3:03.456),\n"
         "                     h:mm:ss[.mmm] (1:02:03) or whole milliseconds with\n"
         "                     the suffix ms (183456ms); both marks are clamped\n"
         "                     into the file\n"
         "  --unmarked         export everything outside the piece instead: the part\n"
         "                     before --begin followed by the part after --end\n"
         "  --format mp3|wav   the output format (default: OUT's extension, .mp3 or\n"
         "                     .wav in any letter case)\n"
         "  --bitrate KBPS     MP3 bitrate: 32 40 56 64 80 96 112 128 160, and 192 224\n"
         "                     256 320 for 44100 Hz sources; 8000 to 12000 Hz sources\n"
         "                     take 64 at most; 'origin' keeps an MP3 source's bitrate\n"
         "                     (default: origin for MP3, else 128 or the highest\n"
         "                     bitrate below it)\n"
         "  --fade-in S        fade in over the first S whole seconds of each piece\n"
         "  --fade-out S       fade out over the last S whole seconds (0: no fade)\n"
         "  --lossless         copy the MP3 source's frames instead of re-encoding: no\n"
         "                     quality lost, the cut exact to the sample, no fades\n"
         "  --jobs N           MP3 encoders working at once on one export (default:\n"
         "                     one per core; 1: a single encoder)\n"
         "  --no-tags          write none of IN's tags (ID3v2, ID3v1, APEv2, WAV INFO);\n"
         "                     without it OUT carries them, chapters and timed lyrics\n"
         "                     moved into the piece and the length set to the piece's\n"
         "  --tag KEY=VALUE    set one tag of OUT (repeatable); KEY is title, artist,\n"
         "                     album, track, year, genre or comment; an empty VALUE\n"
         "                     removes the tag\n"
         "  -h, --help         show this help\n"
         "\n"
         "examples:\n"
         "  snipola-cli cut talk.mp3 -o intro.mp3 --end 1:30\n"
         "  snipola-cli cut song.wav -o chorus.mp3 --begin 1:02.250 --end 1:47 --bitrate 192\n"
         "  snipola-cli cut song.mp3 -o rest.wav --begin 60 --end 90 --unmarked\n"
         "  snipola-cli cut set.mp3 -o track2.mp3 --begin 4:10 --end 9:02 --lossless \\\n"
         "      --tag title='Second Song' --tag track=2/12\n"
         "  snipola-cli cut song.mp3 -o piece.mp3 --begin 0:10 --end 40.5 --fade-in 2 --fade-out "
         "3\n"
         "\n"
         "exit status: 0 done, 1 the export failed (the reason goes to standard error),\n"
         "2 a usage error, 130/143/129 ended by SIGINT/SIGTERM/SIGHUP (OUT is left as\n"
         "it was and no temporary file stays behind).\n";
}

int UsageError(std::ostream& err, const std::string& message) {
  err << "snipola-cli cut: " << message << '\n' << kUsage;
  return kCliUsageError;
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// The progress bar on a terminal: redrawn in place when the percentage or the
// time text changes.
class CliHost : public ExportHost {
 public:
  CliHost(std::ostream& err, bool show) : err_(err), show_(show) {}
  ~CliHost() override {
    if (drawn_) err_ << '\n' << std::flush;
  }

  void SetProgress(int percent) override {
    if (percent == percent_) return;
    percent_ = percent;
    Draw();
  }
  void SetTimeText(const std::string& text) override {
    timeText_ = text;
    Draw();
  }
  void ProcessMessages() override {}

 private:
  void Draw() {
    if (!show_) return;
    constexpr int kWidth = 30;
    const int filled = std::clamp(percent_, 0, 100) * kWidth / 100;
    err_ << "\r[" << std::string(filled, '#') << std::string(kWidth - filled, '-') << "] "
         << (percent_ < 10    ? "  "
             : percent_ < 100 ? " "
                              : "")
         << percent_ << "%  " << timeText_ << "\x1b[K" << std::flush;
    drawn_ = true;
  }

  std::ostream& err_;
  bool show_;
  bool drawn_ = false;
  int percent_ = -1;
  std::string timeText_;
};

struct CutArguments {
  std::string in;
  std::string out;
  std::optional<std::string> begin;
  std::optional<std::string> end;
  bool unmarked = false;
  std::optional<std::string> format;
  std::optional<std::string> bitrate;
  std::optional<std::string> fadeIn;
  std::optional<std::string> fadeOut;
  std::optional<std::string> jobs;
  bool lossless = false;
  bool help = false;
  TagEdits tags;
};

// Fills `parsed`; an error text when the words do not form a call.
std::optional<std::string> ParseArguments(const CliArgs& args, CutArguments& parsed) {
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string word = args[i];
    std::optional<std::string> inlineValue;
    if (word.rfind("--", 0) == 0) {
      const size_t equals = word.find('=');
      if (equals != std::string::npos) {
        inlineValue = word.substr(equals + 1);
        word = word.substr(0, equals);
      }
    }
    const auto value = [&](std::optional<std::string>& into) -> std::optional<std::string> {
      if (into) return "option " + word + " given twice";
      if (inlineValue) {
        into = *inlineValue;
      } else if (i + 1 < args.size()) {
        into = args[++i];
      } else {
        return "option " + word + " needs a value";
      }
      return std::nullopt;
    };
    std::optional<std::string> outValue;
    std::optional<std::string> problem;
    if (word == "-h" || word == "--help") {
      parsed.help = true;
    } else if (word == "-o" || word == "--output") {
      problem = value(outValue);
      if (!problem) {
        if (!parsed.out.empty()) return "option -o given twice";
        parsed.out = *outValue;
        if (parsed.out.empty()) return "OUT must not be empty";
      }
    } else if (word == "--begin") {
      problem = value(parsed.begin);
    } else if (word == "--end") {
      problem = value(parsed.end);
    } else if (word == "--unmarked" && !inlineValue) {
      parsed.unmarked = true;
    } else if (word == "--format") {
      problem = value(parsed.format);
    } else if (word == "--bitrate") {
      problem = value(parsed.bitrate);
    } else if (word == "--fade-in") {
      problem = value(parsed.fadeIn);
    } else if (word == "--fade-out") {
      problem = value(parsed.fadeOut);
    } else if (word == "--jobs") {
      problem = value(parsed.jobs);
    } else if (word == "--lossless" && !inlineValue) {
      parsed.lossless = true;
    } else if (word == "--no-tags" && !inlineValue) {
      parsed.tags.KeepSource = false;
    } else if (word == "--tag") {
      std::optional<std::string> tag;
      problem = value(tag);
      if (!problem) problem = AddTagOption(*tag, parsed.tags);
    } else if (word.size() > 1 && word[0] == '-') {
      return "unknown option " + args[i];
    } else {
      positional.push_back(word);
    }
    if (problem) return problem;
  }
  if (parsed.help) return std::nullopt;
  if (positional.empty()) return "IN is missing";
  if (positional.size() > 1) return "only one IN file can be cut (got '" + positional[1] + "')";
  parsed.in = positional[0];
  if (parsed.out.empty()) return "-o OUT is missing";
  return std::nullopt;
}

// Why --lossless cannot go with the other options given, if it cannot.
std::optional<std::string> LosslessConflict(const CutArguments& parsed, bool mp3Output) {
  if (parsed.fadeIn || parsed.fadeOut) {
    return "--lossless copies the frames as they are and cannot fade (--fade-in, --fade-out)";
  }
  if (parsed.unmarked) return "--lossless cannot be combined with --unmarked";
  if (parsed.bitrate) return "--lossless keeps the source's own frames and takes no --bitrate";
  if (!mp3Output) return "--lossless writes MP3: OUT must be an MP3 file";
  return std::nullopt;
}

std::optional<int32_t> FadeSeconds(const std::optional<std::string>& text) {
  if (!text) return 0;
  return FadeSecondsOf(*text);
}

}  // namespace

int RunCutCommand(const CliArgs& args, std::ostream& out, std::ostream& err) {
  return RunCutCommand(args, out, err, ErrIsTerminal(err));
}

int RunCutCommand(const CliArgs& args, std::ostream& out, std::ostream& err, bool showProgress) {
  CutArguments parsed;
  if (const auto problem = ParseArguments(args, parsed)) return UsageError(err, *problem);
  if (parsed.help) {
    PrintHelp(out);
    return kCliOk;
  }

  // Everything that can be checked without the file first.
  std::optional<int64_t> beginMs = parsed.begin ? ParseTimeTextMs(*parsed.begin) : 0;
  if (!beginMs) return UsageError(err, "--begin '" + *parsed.begin + "' is not a time");
  std::optional<int64_t> endMs;
  if (parsed.end) {
    endMs = ParseTimeTextMs(*parsed.end);
    if (!endMs) return UsageError(err, "--end '" + *parsed.end + "' is not a time");
  }
  const auto fadeIn = FadeSeconds(parsed.fadeIn);
  if (!fadeIn) return UsageError(err, "--fade-in '" + *parsed.fadeIn + "' is not whole seconds");
  const auto fadeOut = FadeSeconds(parsed.fadeOut);
  if (!fadeOut) {
    return UsageError(err, "--fade-out '" + *parsed.fadeOut + "' is not whole seconds");
  }
  const std::optional<int32_t> jobs = parsed.jobs ? FadeSecondsOf(*parsed.jobs) : 0;
  if (!jobs || (parsed.jobs && *jobs < 1)) {
    return UsageError(err, "--jobs '" + *parsed.jobs + "' is not a number of encoders");
  }
  bool mp3;
  std::string outFileName = parsed.out;
  if (parsed.format) {
    const std::string format = Lower(*parsed.format);
    if (format != "mp3" && format != "wav") {
      return UsageError(err, "--format must be mp3 or wav, not '" + *parsed.format + "'");
    }
    mp3 = format == "mp3";
    outFileName = WithDefaultExtension(outFileName, mp3);
  } else {
    const std::string extension = LowerCaseExtension(outFileName);
    if (extension != ".mp3" && extension != ".wav") {
      return UsageError(err, "cannot tell the format of '" + outFileName +
                                 "': give it the extension .mp3 or .wav, or use --format");
    }
    mp3 = extension == ".mp3";
  }

  if (parsed.lossless) {
    if (const auto problem = LosslessConflict(parsed, mp3)) return UsageError(err, *problem);
  }

  StderrDialogs dialogs(err);
  AudioFileInfo info;
  std::shared_ptr<Mp3ScanIndex> scan;
  if (!ProbeForCli(parsed.in, info, err) ||
      !MeasureForCli(parsed.in, info, scan, err, showProgress)) {
    return kCliFileError;
  }
  if (parsed.lossless && info.FileType != AudioFileInfo::kTypeMp3) {
    return UsageError(err, "--lossless needs an MP3 source; '" + parsed.in + "' is not one");
  }
  if (const std::string problem = mp3 ? Mp3RateProblem(info) : ""; !problem.empty()) {
    err << kEncoderStartError << '\n' << problem << '\n';
    return kCliFileError;
  }

  // The bitrate must be one the dialog offers for this source; without
  // --bitrate it is the dialog's first choice.
  const std::vector<std::string> items = BitrateItems(info);
  const std::string bitrateText = parsed.bitrate ? Lower(*parsed.bitrate) : "";
  int bitrateIndex = parsed.bitrate ? -1 : InitialBitrateIndex(info);
  for (size_t i = 0; i < items.size() && parsed.bitrate; ++i) {
    const bool asOrigin = items[i] == kAsOriginItem;
    if ((asOrigin && bitrateText == "origin") || (!asOrigin && items[i] == bitrateText)) {
      bitrateIndex = static_cast<int>(i);
    }
  }
  if (bitrateIndex < 0 && (mp3 || parsed.bitrate)) {
    std::string accepted;
    for (const std::string& item : items) {
      accepted += (accepted.empty() ? "" : " ") + (item == kAsOriginItem ? "origin" : item);
    }
    return UsageError(
        err, "--bitrate '" + bitrateText + "' is not offered for this file; use " + accepted);
  }

  // Marks clamped into the file as typed marks are, then on the file's sample
  // timeline; without --end the piece runs to the file's last sample.
  const int32_t lengthMs = info.LengthMs;
  const int32_t markBegin = ClampToLength(*beginMs, lengthMs);
  const int32_t markEnd = ClampToLength(endMs ? *endMs : lengthMs, lengthMs);
  const SampleIndex beginSample = SampleOfMs(info, markBegin);
  const SampleIndex endSample = endMs ? SampleOfMs(info, markEnd) : info.LengthFrames;
  // Marks in the wrong order are a usage error; a file or a rest without a
  // sample is refused by the export itself.
  if (endSample <= beginSample && info.LengthFrames > SampleIndex(0)) {
    return UsageError(err, "nothing to cut: the end (" + std::to_string(markEnd) +
                               " ms) is not after the begin (" + std::to_string(markBegin) +
                               " ms) in a file of " + std::to_string(lengthMs) + " ms");
  }

  if (!CheckExportTarget(outFileName, parsed.in, dialogs, ExistingTarget::Replace))
    return kCliFileError;

  ExportJob job;
  job.FileInfo = info;
  job.BeginSample = beginSample;
  job.EndSample = endSample;
  job.SourceFileName = parsed.in;
  job.OutFileName = outFileName;
  job.Route = mp3 ? ExportRoute::Mp3 : ExportRoute::Wav;
  job.BitrateKbps = bitrateIndex < 0 ? 0 : BitrateOfItem(info, bitrateIndex, items[bitrateIndex]);
  job.Lossless = parsed.lossless;
  job.ExportUnmarked = parsed.unmarked;
  job.FadeIn = *fadeIn > 0;
  job.FadeInSeconds = *fadeIn;
  job.FadeOut = *fadeOut > 0;
  job.FadeOutSeconds = *fadeOut;
  job.StartTick = TickCountMs();
  job.Jobs = *jobs;
  job.Tags = parsed.tags;

  bool finished;
  {
    const CutSignals signals;
    CliHost host(err, showProgress);
    StreamExportSource source(scan);
    finished = RunExport(job, host, dialogs, source);
  }
  return finished ? kCliOk : kCliFileError;
}
