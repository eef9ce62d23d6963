// SPDX-License-Identifier: GPL-3.0-or-later
// The tags of a written file; see export_tags.h.
#include "tags/export_tags.h"

#include <taglib/apetag.h>
#include <taglib/chapterframe.h>
#include <taglib/eventtimingcodesframe.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2synchdata.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mpegfile.h>
#include <taglib/synchronizedlyricsframe.h>
#include <taglib/tableofcontentsframe.h>
#include <taglib/tfilestream.h>
#include <taglib/textidentificationframe.h>
#include <taglib/wavfile.h>

#include <cstdlib>
#include <memory>
#include <set>

#include "tags/checked_file_stream.h"

namespace {

namespace ID3v2 = TagLib::ID3v2;
using TagLib::ByteVector;
using TagLib::String;

// A chapter's byte offsets say "not given": the written file's bytes differ.
constexpr unsigned int kNoOffset = 0xFFFFFFFFu;

// Each key with its ID3v2 frame, APEv2 item and RIFF INFO field.
struct TagField {
  const char* key;
  const char* id3v2;
  const char* ape;
  const char* info;
};
constexpr TagField kFields[] = {
    {"title", "TIT2", "TITLE", "INAM"}, {"artist", "TPE1", "ARTIST", "IART"},
    {"album", "TALB", "ALBUM", "IPRD"}, {"track", "TRCK", "TRACK", "ITRK"},
    {"year", "TDRC", "YEAR", "ICRD"},   {"genre", "TCON", "GENRE", "IGNR"},
    {"comment", "COMM", "COMMENT", "ICMT"},
};

String Utf8(const std::string& text) { return String(text, String::UTF8); }

// The tags TagLib found in the source; its file stays open while they are copied.
struct SourceTags {
  std::unique_ptr<TagLib::FileStream> stream;  // read only: the source is never written
  std::unique_ptr<TagLib::File> file;
  ID3v2::Tag* id3v2 = nullptr;
  TagLib::ID3v1::Tag* id3v1 = nullptr;
  TagLib::APE::Tag* ape = nullptr;
  TagLib::RIFF::Info::Tag* info = nullptr;
};

SourceTags ReadSourceTags(const ExportTagsJob& job) {
  SourceTags source;
  if (!job.edits.KeepSource) return source;
  source.stream = std::make_unique<TagLib::FileStream>(job.sourcePath.c_str(), true);
  if (!source.stream->isOpen()) return source;
  if (job.sourceFormat == TagFileFormat::Mp3) {
    auto file = std::make_unique<TagLib::MPEG::File>(source.stream.get(),
                                                     ID3v2::FrameFactory::instance(), false);
    if (!file->isValid()) return source;
    if (file->hasID3v2Tag()) source.id3v2 = file->ID3v2Tag();
    if (file->hasID3v1Tag()) source.id3v1 = file->ID3v1Tag();
    if (file->hasAPETag()) source.ape = file->APETag();
    source.file = std::move(file);
  } else {
    auto file = std::make_unique<TagLib::RIFF::WAV::File>(source.stream.get(), false);
    if (!file->isValid()) return source;
    if (file->hasID3v2Tag()) source.id3v2 = file->ID3v2Tag();
    if (file->hasInfoTag()) source.info = file->InfoTag();
    source.file = std::move(file);
  }
  return source;
}

// A copy of a frame of the source: rendered (TagLib renders frames plain,
// without compression or encryption, their size in the source's version's
// form) and parsed again as a frame of ID3v2.4, its size given in that form.
ID3v2::Frame* CopyFrame(const ID3v2::Frame& frame) {
  constexpr unsigned int kFrameHeaderBytes = 10;
  const ByteVector rendered = frame.render();
  if (rendered.size() < kFrameHeaderBytes) return nullptr;
  const ByteVector data = rendered.mid(0, 4) +
                          ID3v2::SynchData::fromUInt(rendered.size() - kFrameHeaderBytes) +
                          rendered.mid(8);
  ID3v2::Header header;
  header.setMajorVersion(4);
  return ID3v2::FrameFactory::instance()->createFrame(data, &header);
}

// Moves the moments of a timed frame into the pieces; false when none is
// left or the frame counts MPEG frames instead of milliseconds.
template <typename TimedFrame, typename List, typename Get, typename Set>
bool ShiftMoments(TimedFrame& frame, const std::vector<TagPiece>& pieces, Get get, Set set) {
  if (frame.timestampFormat() != TimedFrame::AbsoluteMilliseconds) return false;
  List kept;
  for (auto moment : (frame.*get)()) {
    if (const std::optional<int64_t> at = MapTagTime(pieces, moment.time)) {
      moment.time = static_cast<unsigned int>(*at);
      kept.append(moment);
    }
  }
  (frame.*set)(kept);
  return !kept.isEmpty();
}

// Fits a copied frame to the pieces; false when it has no place in them.
bool FitFrame(ID3v2::Frame& frame, const std::vector<TagPiece>& pieces) {
  if (auto* chapter = dynamic_cast<ID3v2::ChapterFrame*>(&frame)) {
    const auto span = MapTagSpan(pieces, chapter->startTime(), chapter->endTime());
    if (!span) return false;
    chapter->setStartTime(static_cast<unsigned int>(span->first));
    chapter->setEndTime(static_cast<unsigned int>(span->second));
    chapter->setStartOffset(kNoOffset);
    chapter->setEndOffset(kNoOffset);
  } else if (auto* lyrics = dynamic_cast<ID3v2::SynchronizedLyricsFrame*>(&frame)) {
    return ShiftMoments<ID3v2::SynchronizedLyricsFrame,
                        ID3v2::SynchronizedLyricsFrame::SynchedTextList>(
        *lyrics, pieces, &ID3v2::SynchronizedLyricsFrame::synchedText,
        &ID3v2::SynchronizedLyricsFrame::setSynchedText);
  } else if (auto* events = dynamic_cast<ID3v2::EventTimingCodesFrame*>(&frame)) {
    return ShiftMoments<ID3v2::EventTimingCodesFrame,
                        ID3v2::EventTimingCodesFrame::SynchedEventList>(
        *events, pieces, &ID3v2::EventTimingCodesFrame::synchedEvents,
        &ID3v2::EventTimingCodesFrame::setSynchedEvents);
  }
  return true;
}

// Copies the source's frames but its length, fitting timed ones to the
// pieces; true when the source had a length frame.
bool CopyFrames(ID3v2::Tag& from, ID3v2::Tag& to, const std::vector<TagPiece>& pieces) {
  bool hadLength = false;
  std::set<ByteVector> droppedChapters;
  std::vector<ID3v2::TableOfContentsFrame*> tables;
  for (ID3v2::Frame* frame : from.frameList()) {
    if (frame->frameID() == "TLEN") {
      hadLength = true;
      continue;
    }
    ID3v2::Frame* copy = CopyFrame(*frame);
    if (copy == nullptr) continue;
    if (!FitFrame(*copy, pieces)) {
      if (auto* chapter = dynamic_cast<ID3v2::ChapterFrame*>(copy)) {
        droppedChapters.insert(chapter->elementID());
      }
      delete copy;
      continue;
    }
    if (auto* table = dynamic_cast<ID3v2::TableOfContentsFrame*>(copy)) tables.push_back(table);
    to.addFrame(copy);
  }
  for (ID3v2::TableOfContentsFrame* table : tables) {
    const TagLib::ByteVectorList children = table->childElements();
    TagLib::ByteVectorList kept;
    for (const ByteVector& child : children) {
      // (TagLib reads past the start of an empty entry.)
      if (!child.isEmpty() && droppedChapters.count(child) == 0) kept.append(child);
    }
    if (!children.isEmpty() && kept.isEmpty()) {
      to.removeFrame(table);
    } else {
      table->setChildElements(kept);
    }
  }
  return hadLength;
}

void SetTextFrame(ID3v2::Tag& tag, const ByteVector& id, const String& text) {
  tag.removeFrames(id);
  if (id == "TDRC") tag.removeFrames("TYER");
  if (text.isEmpty()) return;
  auto* frame = new ID3v2::TextIdentificationFrame(id, String::UTF8);
  frame->setText(text);
  tag.addFrame(frame);
}

void SetId3v2Field(ID3v2::Tag& tag, const TagField& field, const String& text) {
  if (std::string(field.key) == "comment") {
    tag.setComment(text);  // replaces the first comment, or removes them all
  } else {
    SetTextFrame(tag, field.id3v2, text);
  }
}

// The number a year or track text starts with ("3/12" is 3); 0 for none.
unsigned int LeadingNumber(const String& text) {
  return static_cast<unsigned int>(std::strtoul(text.to8Bit(true).c_str(), nullptr, 10));
}

void SetId3v1Field(TagLib::ID3v1::Tag& tag, const TagField& field, const String& text) {
  const std::string key = field.key;
  if (key == "title") tag.setTitle(text);
  if (key == "artist") tag.setArtist(text);
  if (key == "album") tag.setAlbum(text);
  if (key == "comment") tag.setComment(text);
  if (key == "genre") tag.setGenre(text);
  if (key == "year") tag.setYear(LeadingNumber(text));
  if (key == "track") tag.setTrack(LeadingNumber(text));
}

String Id3v2Text(const ID3v2::Tag& tag, const TagField& field) {
  if (std::string(field.key) == "comment") return tag.comment();
  const ID3v2::FrameList& frames = tag.frameList(field.id3v2);
  return frames.isEmpty() ? String() : frames.front()->toString();
}

struct OutputTags {
  ID3v2::Tag* id3v2 = nullptr;
  TagLib::ID3v1::Tag* id3v1 = nullptr;
  TagLib::APE::Tag* ape = nullptr;
};

// Fills the output's tags from the source and the edits; the ID3v2 version
// to write.
ID3v2::Version FillTags(const ExportTagsJob& job, const SourceTags& source, OutputTags& out) {
  // (a copy of TagLib's list would share its ownership of the frames)
  const ID3v2::FrameList& frameList = out.id3v2->frameList();
  for (ID3v2::Frame* frame : std::vector<ID3v2::Frame*>(frameList.begin(), frameList.end())) {
    out.id3v2->removeFrame(frame);
  }
  bool hadLength = false;
  if (source.id3v2 != nullptr) hadLength = CopyFrames(*source.id3v2, *out.id3v2, job.pieces);
  if (source.info != nullptr) {
    for (const TagField& field : kFields) {
      const String text = source.info->fieldText(field.info);
      if (!text.isEmpty() && Id3v2Text(*out.id3v2, field).isEmpty()) {
        SetId3v2Field(*out.id3v2, field, text);
      }
    }
  }
  if (out.id3v1 != nullptr) TagLib::Tag::duplicate(source.id3v1, out.id3v1, true);
  if (out.ape != nullptr) {
    std::vector<String> keys;
    for (const auto& item : out.ape->itemListMap()) keys.push_back(item.first);
    for (const String& key : keys) out.ape->removeItem(key);
    for (const auto& item : source.ape->itemListMap()) out.ape->setItem(item.first, item.second);
  }
  for (const auto& [key, value] : job.edits.Values) {
    for (const TagField& field : kFields) {
      if (key != field.key) continue;
      const String text = Utf8(value);
      SetId3v2Field(*out.id3v2, field, text);
      if (out.id3v1 != nullptr) SetId3v1Field(*out.id3v1, field, text);
      if (out.ape != nullptr) out.ape->addValue(field.ape, text, true);
    }
  }
  if (hadLength) {
    SetTextFrame(*out.id3v2, "TLEN", String::number(static_cast<int>(TagPiecesLengthMs(job.pieces))));
  }
  return source.id3v2 != nullptr && source.id3v2->header()->majorVersion() == 3 ? ID3v2::v3
                                                                                : ID3v2::v4;
}

bool WriteMp3Tags(const ExportTagsJob& job, const SourceTags& source, CheckedFileStream& stream) {
  TagLib::MPEG::File file(&stream, ID3v2::FrameFactory::instance(), false);
  if (!file.isValid()) return false;
  OutputTags out;
  out.id3v2 = file.ID3v2Tag(true);
  int types = TagLib::MPEG::File::ID3v2;
  if (source.id3v1 != nullptr) {
    out.id3v1 = file.ID3v1Tag(true);
    types |= TagLib::MPEG::File::ID3v1;
  }
  if (source.ape != nullptr) {
    out.ape = file.APETag(true);
    types |= TagLib::MPEG::File::APE;
  }
  const ID3v2::Version version = FillTags(job, source, out);
  return file.save(types, TagLib::File::StripOthers, version, TagLib::File::DoNotDuplicate);
}

bool WriteWavTags(const ExportTagsJob& job, const SourceTags& source, CheckedFileStream& stream) {
  if (stream.readBlock(4) == "RF64") return true;
  stream.seek(0);
  TagLib::RIFF::WAV::File file(&stream, false);
  if (!file.isValid()) return false;
  OutputTags out;
  out.id3v2 = file.ID3v2Tag();
  const ID3v2::Version version = FillTags(job, source, out);
  TagLib::RIFF::Info::Tag* info = file.InfoTag();
  for (const TagField& field : kFields) {
    const String text = Id3v2Text(*out.id3v2, field);
    if (text.isEmpty()) {
      info->removeField(field.info);
    } else {
      info->setFieldText(field.info, text);
    }
  }
  return file.save(TagLib::RIFF::WAV::File::AllTags, TagLib::File::StripOthers, version);
}

}  // namespace

bool WriteExportTags(const ExportTagsJob& job) {
  const SourceTags source = ReadSourceTags(job);
  // Nothing to carry over and nothing to set or take away: the file stays as written.
  if (job.edits.KeepSource && job.edits.Values.empty() && source.id3v2 == nullptr &&
      source.id3v1 == nullptr && source.ape == nullptr && source.info == nullptr) {
    return true;
  }
  CheckedFileStream stream(job.outputPath);
  if (stream.Failed()) return false;
  const bool saved = job.outputFormat == TagFileFormat::Mp3 ? WriteMp3Tags(job, source, stream)
                                                            : WriteWavTags(job, source, stream);
  return saved && !stream.Failed();
}
