// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Tags for test sources, written with TagLib, and a one-line account of a
// file's tags to compare against.
//
// An MP3 gets ID3v2.3 frames TIT2 Song, TPE1 Band, TALB Album, TRCK 3/9,
// TDRC 2021, TCON Rock, COMM nice, APIC (200 bytes), TLEN 10000, chapters c1
// Intro 0-2000, c2 Middle 2000-6000, c3 Outro 6000-10000 (with byte offsets)
// in CTOC toc, SYLT in ms {1000 a, 4000 b, 9000 c} and in MPEG frames {40 m},
// ETCO {4500}; unless id3v2Only, an ID3v1 tag titled "Song v1" and an APEv2
// tag titled "Song ape". A WAV gets the same texts in LIST/INFO and only the
// picture in its ID3v2 chunk.
#include <string>

bool AddTestTags(const std::string& path, bool wav, bool id3v2Only = false);

// "title=..|artist=..|album=..|track=..|year=..|genre=..|comment=..|TLEN=..|
// APIC=<bytes>|CHAP=<id>:<start>-<end>[@ when it has byte offsets],..|
// CTOC=<children>|SYLT=<ms><text>,..[ETCO<ms>]|v<ID3v2 version>", then "|v1=<title>/<track>" and "|ape=<title>" for MP3 tags that exist, or
// "|info=<INAM>,<IART>,<IPRD>,<ITRK>,<ICRD>,<IGNR>,<ICMT>" for a WAV.
std::string DescribeTags(const std::string& path, bool wav);
