// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// led: the spectrum analysis behind the analyzer window. Played audio
// (16-bit signed little-endian PCM, channels interleaved) arrives through
// SpectrumFeed in the pieces playback hands back; the feed gathers it into
// blocks of exactly 8192 bytes across piece boundaries. Each block is read as
// 2048 pairs of samples (left, right; with one-channel audio two consecutive
// samples), each channel goes through a 2048-point FFT, the magnitudes of
// bins 1..1024 are summed into 21 bands of growing width, and every band sum
// becomes a bar height of 0..40 pixels (sum / 262144, rounded halves to even,
// capped at 40). A bar shows the higher of its new height and its previous
// height less 3, so bars rise at once and fall by 3 pixels per block.
//
// The state below is program-wide, zero at start and never reset: bytes held
// when playback stops are joined with the next playback's first bytes, and bar
// heights keep falling from where they were. While the show-analyzer flag is
// off nothing is collected or analysed, so a hidden analyzer costs nothing.
//
// All arrays are fixed; feeding and analysing allocate no memory. Everything
// runs on the user-interface thread (inside the playback completion handler),
// so there are no locks.
#include <array>
#include <cstdint>

#include "spectrum/led_display.h"

inline constexpr int kSpectrumBlockBytes = 8192;
inline constexpr int kSpectrumPairs = kSpectrumBlockBytes / 4;  // sample pairs per block
inline constexpr int kSpectrumBands = 21;
inline constexpr int kBarMaxHeightPx = 40;
inline constexpr int kBarFallPx = 3;
// The transform arrays have room for indices 0..4096; the transform uses
// 0..kSpectrumPairs-1.
inline constexpr int kTransformArrayLength = 4097;

// Number of FFT bins summed into each band, left to right. The bands are
// consecutive from bin 1 (the constant component, bin 0, is never shown) and
// together cover bins 1..1024, everything up to half the transform size.
inline constexpr std::array<int, kSpectrumBands> BandWidths{
    2, 2, 2, 2, 4, 4, 8, 8, 16, 16, 32, 32, 64, 64, 64, 64, 64, 64, 128, 128, 256};

// The block being gathered and the count of its valid bytes at its start
// (0..8191 between two feeds).
extern std::array<uint8_t, kSpectrumBlockBytes> SpectrumBuffer;
extern int32_t SpectrumFill;

// The bar heights in pixels (0..40) carried from one analysis to the next;
// after an analysis they already hold the fall-off for the next block.
extern std::array<int32_t, kSpectrumBands> BarLevel;

// The transform arrays of the two channels: real and imaginary input, real
// and imaginary output.
using TransformArray = std::array<double, kTransformArrayLength>;
extern TransformArray LeftRealIn, LeftImagIn, LeftRealOut, LeftImagOut;
extern TransformArray RightRealIn, RightImagIn, RightRealOut, RightImagOut;

// The show-analyzer flag. The main window sets it from its ShowSpec setting
// whenever that setting is loaded or toggled; it starts off.
void SetShowAnalyzerFlag(bool on);
bool ShowAnalyzerFlag();

// Where the analysis draws; null (the start value) draws nothing. The
// analyzer window registers itself here and unregisters when destroyed. Not
// owned.
void SetLedDisplay(LedDisplay* display);
LedDisplay* CurrentLedDisplay();

// Takes `countBytes` (0..8192) bytes of played PCM at `data`. With the flag
// off it returns at once and keeps what it held. Otherwise it appends the
// bytes to the block; when the block reaches 8192 bytes it is analysed and
// the bytes left over start the next block. At most one block is analysed
// per call. Counts outside 0..8192 are a caller's error and are ignored.
void SpectrumFeed(const uint8_t* data, int32_t countBytes);

// Analyses the full SpectrumBuffer: both transforms, the band levels, the
// fall-off, and the picture (grid, 21 bars, copy to the window) on the
// current LedDisplay. Called by SpectrumFeed for every full block.
void AnalyzeBlock();
