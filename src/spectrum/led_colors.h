// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The analyzer's palette: the colour of an unlit LED dot and the colours of
// the bar segments. Plain data, so that the analysis and its tests need no
// graphics library; the analyzer window turns them into pixels.
#include <array>
#include <cstdint>

// A colour as its red, green and blue components, 0..255 each.
struct LedRgb {
  uint8_t red;
  uint8_t green;
  uint8_t blue;
  friend bool operator==(const LedRgb&, const LedRgb&) = default;
};

// The colour of the unlit LED dots.
inline constexpr LedRgb LedOffColor{24, 24, 41};

// One colour per 2-pixel segment of a bar, from the bottom up: segment s
// covers bar pixels 2s + 1 and 2s + 2 counted from the bottom, so the colours
// run from green at the foot to orange at the top.
inline constexpr int kBarSegments = 20;
inline constexpr std::array<LedRgb, kBarSegments> BarColors{{
    {24, 134, 8},   {41, 150, 0},   {49, 158, 8},   {57, 182, 16},  {49, 190, 16},
    {41, 207, 16},  {66, 223, 17},  {107, 223, 25}, {148, 223, 33}, {189, 223, 41},
    {198, 218, 51}, {206, 200, 42}, {214, 182, 33}, {222, 166, 24}, {198, 141, 8},
    {198, 131, 8},  {198, 121, 8},  {214, 113, 0},  {214, 101, 0},  {214, 89, 0},
}};
