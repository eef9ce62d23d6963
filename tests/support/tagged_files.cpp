// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/tagged_files.h"

#include <taglib/apetag.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/chapterframe.h>
#include <taglib/commentsframe.h>
#include <taglib/eventtimingcodesframe.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mpegfile.h>
#include <taglib/synchronizedlyricsframe.h>
#include <taglib/tableofcontentsframe.h>
#include <taglib/textidentificationframe.h>
#include <taglib/wavfile.h>

namespace {

namespace ID3v2 = TagLib::ID3v2;
using TagLib::String;

constexpr const char* kTexts[][2] = {{"TIT2", "Song"}, {"TPE1", "Band"}, {"TALB", "Album"},
                                     {"TRCK", "3/9"},  {"TDRC", "2021"}, {"TCON", "Rock"},
                                     {"TLEN", "10000"}};
constexpr const char* kInfo[] = {"INAM", "IART", "IPRD", "ITRK", "ICRD", "IGNR", "ICMT"};

void AddPicture(ID3v2::Tag& tag) {
  auto* picture = new ID3v2::AttachedPictureFrame;
  picture->setMimeType("image/png");
  picture->setType(ID3v2::AttachedPictureFrame::FrontCover);
  // Past 127 bytes, where a frame's size reads otherwise in ID3v2.3 than in 2.4.
  picture->setPicture(TagLib::ByteVector("\x89PNG", 4) + TagLib::ByteVector(196, 'p'));
  tag.addFrame(picture);
}

void AddFrames(ID3v2::Tag& tag) {
  for (const auto& [id, text] : kTexts) {
    auto* frame = new ID3v2::TextIdentificationFrame(id, String::Latin1);
    frame->setText(text);
    tag.addFrame(frame);
  }
  auto* comment = new ID3v2::CommentsFrame;
  comment->setText("nice");
  tag.addFrame(comment);
  AddPicture(tag);
  const char* titles[] = {"Intro", "Middle", "Outro"};
  const unsigned int edges[] = {0, 2000, 6000, 10000};
  TagLib::ByteVectorList children;
  for (int i = 0; i < 3; ++i) {
    const TagLib::ByteVector id = TagLib::ByteVector("c") + TagLib::ByteVector(1, char('1' + i));
    auto* title = new ID3v2::TextIdentificationFrame("TIT2", String::Latin1);
    title->setText(titles[i]);
    auto* chapter = new ID3v2::ChapterFrame(id, edges[i], edges[i + 1], 100u * i, 100u * i + 99);
    chapter->addEmbeddedFrame(title);
    tag.addFrame(chapter);
    children.append(id);
  }
  tag.addFrame(new ID3v2::TableOfContentsFrame("toc", children));
  auto* lyrics = new ID3v2::SynchronizedLyricsFrame(String::Latin1);
  lyrics->setTimestampFormat(ID3v2::SynchronizedLyricsFrame::AbsoluteMilliseconds);
  ID3v2::SynchronizedLyricsFrame::SynchedTextList lines;
  for (const auto& [ms, text] : {std::pair(1000u, "a"), {4000u, "b"}, {9000u, "c"}}) {
    lines.append({ms, text});
  }
  lyrics->setSynchedText(lines);
  tag.addFrame(lyrics);
  auto* counted = new ID3v2::SynchronizedLyricsFrame(String::Latin1);  // in MPEG frames: dropped
  counted->setTimestampFormat(ID3v2::SynchronizedLyricsFrame::AbsoluteMpegFrames);
  counted->setSynchedText(ID3v2::SynchronizedLyricsFrame::SynchedTextList().append({40, "m"}));
  tag.addFrame(counted);
  auto* events = new ID3v2::EventTimingCodesFrame;
  events->setTimestampFormat(ID3v2::EventTimingCodesFrame::AbsoluteMilliseconds);
  ID3v2::EventTimingCodesFrame::SynchedEventList moments;
  moments.append({4500, ID3v2::EventTimingCodesFrame::IntroStart});
  events->setSynchedEvents(moments);
  tag.addFrame(events);
}

String FrameText(const ID3v2::Tag& tag, const char* id) {
  const ID3v2::FrameList& frames = tag.frameList(id);
  return frames.isEmpty() ? String() : frames.front()->toString();
}

std::string DescribeId3v2(const ID3v2::Tag& tag) {
  std::string text = "title=" + tag.title().to8Bit(true) + "|artist=" + tag.artist().to8Bit(true) +
                     "|album=" + tag.album().to8Bit(true) +
                     "|track=" + FrameText(tag, "TRCK").to8Bit(true) +
                     "|year=" + std::to_string(tag.year()) + "|genre=" + tag.genre().to8Bit(true) +
                     "|comment=" + tag.comment().to8Bit(true) +
                     "|TLEN=" + FrameText(tag, "TLEN").to8Bit(true) + "|APIC=";
  for (const ID3v2::Frame* frame : tag.frameList("APIC")) {
    text += std::to_string(static_cast<const ID3v2::AttachedPictureFrame*>(frame)->picture().size());
  }
  text += "|CHAP=";
  for (const ID3v2::Frame* frame : tag.frameList("CHAP")) {
    const auto* chapter = static_cast<const ID3v2::ChapterFrame*>(frame);
    text += String(chapter->elementID()).to8Bit() + ":" + std::to_string(chapter->startTime()) +
            "-" + std::to_string(chapter->endTime()) +
            (chapter->startOffset() == 0xFFFFFFFF && chapter->endOffset() == 0xFFFFFFFF ? ","
                                                                                         : "@,");
  }
  text += "|CTOC=";
  for (const ID3v2::Frame* frame : tag.frameList("CTOC")) {
    for (const auto& child :
         static_cast<const ID3v2::TableOfContentsFrame*>(frame)->childElements()) {
      text += String(child).to8Bit() + ",";
    }
  }
  text += "|SYLT=";
  for (const ID3v2::Frame* frame : tag.frameList("SYLT")) {
    for (const auto& line : static_cast<const ID3v2::SynchronizedLyricsFrame*>(frame)->synchedText()) {
      text += std::to_string(line.time) + line.text.to8Bit(true) + ",";
    }
  }
  for (const ID3v2::Frame* frame : tag.frameList("ETCO")) {
    for (const auto& event : static_cast<const ID3v2::EventTimingCodesFrame*>(frame)->synchedEvents()) {
      text += "ETCO" + std::to_string(event.time);
    }
  }
  return text + "|v" + std::to_string(tag.header()->majorVersion());
}

}  // namespace

bool AddTestTags(const std::string& path, bool wav, bool id3v2Only) {
  if (wav) {
    TagLib::RIFF::WAV::File file(path.c_str(), false);
    for (int i = 0; i < 7; ++i) {
      file.InfoTag()->setFieldText(kInfo[i], i == 6 ? "nice" : kTexts[i][1]);
    }
    AddPicture(*file.ID3v2Tag());
    return file.save();
  }
  TagLib::MPEG::File file(path.c_str(), false);
  AddFrames(*file.ID3v2Tag(true));
  if (!id3v2Only) {
    file.ID3v1Tag(true)->setTitle("Song v1");
    file.APETag(true)->setTitle("Song ape");
  }
  return file.save(TagLib::MPEG::File::AllTags, TagLib::File::StripOthers, ID3v2::v3,
                   TagLib::File::DoNotDuplicate);
}

std::string DescribeTags(const std::string& path, bool wav) {
  if (wav) {
    TagLib::RIFF::WAV::File file(path.c_str(), false);
    std::string text = DescribeId3v2(*file.ID3v2Tag()) + "|info=";
    for (const char* id : kInfo) text += file.InfoTag()->fieldText(id).to8Bit(true) + ",";
    return text;
  }
  TagLib::MPEG::File file(path.c_str(), false);
  std::string text = DescribeId3v2(*file.ID3v2Tag(true));
  if (file.hasID3v1Tag()) {
    text += "|v1=" + file.ID3v1Tag()->title().to8Bit(true) + "/" +
            std::to_string(file.ID3v1Tag()->track());
  }
  if (file.hasAPETag()) text += "|ape=" + file.APETag()->title().to8Bit(true);
  return text;
}
