#pragma once
// An in-memory canvas for tests without Qt: rows in a vector framed by guard rows and guard columns
// that must never be written, fixed text metrics, and a log of every TextOut.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "tarvek_Canvas.h"

class TMemoryCanvas : public TCanvas {
public:
  static constexpr int kGuard = 8;
  static constexpr std::uint32_t kGuardWord = 0xDEADBEEF;
  static constexpr int kCharWidth = 6;

  struct TText {
    int X, Y;
    std::string Text;
    TFont Font;
  };

  TMemoryCanvas(int width, int height, std::uint32_t background = 0x00ABCDEF)
      : FWidth(width), FHeight(height), FStride(width + 2 * kGuard),
        FWords(static_cast<std::size_t>(FStride) * (height + 2 * kGuard), kGuardWord) {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) At(x, y) = background;
  }

  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  TSurface Surface() override { return {&FWords[static_cast<std::size_t>(kGuard) * FStride + kGuard], FStride, FWidth, FHeight}; }
  int TextWidth(const std::string& text) override { return kCharWidth * static_cast<int>(text.size()); }
  int TextHeight(const std::string&) override { return std::min(Font.Size, 100000) + 5; }
  void TextOut(int x, int y, const std::string& text) override {
    FillRect(x, y, x + TextWidth(text), y + TextHeight(text));
    Texts.push_back({x, y, text, Font});
  }

  std::uint32_t& At(int x, int y) { return FWords[static_cast<std::size_t>(y + kGuard) * FStride + x + kGuard]; }

  // True when nothing outside the bitmap was written.
  bool GuardsIntact() const {
    for (int y = 0; y < FHeight + 2 * kGuard; ++y)
      for (int x = 0; x < FStride; ++x) {
        const bool inside = y >= kGuard && y < FHeight + kGuard && x >= kGuard && x < FWidth + kGuard;
        if (!inside && FWords[static_cast<std::size_t>(y) * FStride + x] != kGuardWord) return false;
      }
    return true;
  }

  std::vector<std::uint32_t> Pixels() {
    std::vector<std::uint32_t> out;
    for (int y = 0; y < FHeight; ++y)
      for (int x = 0; x < FWidth; ++x) out.push_back(At(x, y));
    return out;
  }

  std::vector<TText> Texts;

private:
  int FWidth, FHeight, FStride;
  std::vector<std::uint32_t> FWords;
};
