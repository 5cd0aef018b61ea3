// Drawing speed of the chart painter into a 1000 x 400 image, as the statistics view draws:
// clear the image, then one Draw with titles and axis labels.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <cmath>
#include <cstdlib>

#include "vlm_GraphPainter.h"
#include "vlm_ImageCanvas.h"

namespace {

TVLGraph Chart(TGraphKind kind, int count, double barWidth) {
  TVLGraph g;
  g.Kind = kind;
  g.AxisFont = {"Tahoma", 6, clBlack, true, RUSSIAN_CHARSET};
  g.Title.Font = {"Tahoma", 8, clNavy, true, RUSSIAN_CHARSET};
  g.Footer.Font = {"Tahoma", 7, clNavy, false, RUSSIAN_CHARSET};
  g.Title.Text = "Chart";
  g.Footer.Text = "Footer";
  g.OutlineColor = clNavy;
  g.SetColors({clMaroon, clRed, clYellow, clWhite});
  g.BarWidth = barWidth;
  g.XMin = 0, g.XMax = count - 1;
  g.YMin = -1, g.YMax = 1;
  g.XAxis = {0, count / 10.0, -1};
  g.YAxis = {-1, 0.25, -1};
  g.YFormat = "%.2n";
  for (int i = 0; i < count; ++i) g.AddValue("", i, std::sin(i * 0.01) * std::cos(i * 0.0007));
  return g;
}

void Run(benchmark::State& state, TVLGraph g) {
  QImage image(1000, 400, QImage::Format_RGB32);
  TImageCanvas canvas(image);
  for (auto _ : state) {
    FillBox(&canvas, clBtnFace, clBtnFace, 0, 0, 1000, 400);
    g.Draw(canvas, {10, 10, 990, 390});
    benchmark::DoNotOptimize(image.constBits());
  }
}

void BM_Line20000(benchmark::State& state) { Run(state, Chart(gkLine, 20000, 0.05)); }
void BM_LineCircles20000(benchmark::State& state) { Run(state, Chart(gkLineCircles, 20000, 0.01)); }
// 1000 bars side by side (one pixel each) and the default bar width, where they overlap.
void BM_VertBars1000_Narrow(benchmark::State& state) { Run(state, Chart(gkVertBars, 1000, 0.001)); }
void BM_VertBars1000_Default(benchmark::State& state) { Run(state, Chart(gkVertBars, 1000, 0.05)); }
void BM_HorzBars1000_Default(benchmark::State& state) { Run(state, Chart(gkHorzBars, 1000, 0.05)); }

}  // namespace

BENCHMARK(BM_Line20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LineCircles20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VertBars1000_Narrow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VertBars1000_Default)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HorzBars1000_Default)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);  // fonts need it
  if (QFile::exists("/usr/share/wine/fonts/tahoma.ttf"))
    QFontDatabase::addApplicationFont("/usr/share/wine/fonts/tahoma.ttf");
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
