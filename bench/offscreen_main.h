#pragma once
// The main of a benchmark that needs a Qt application (TApp: QGuiApplication or QApplication), on
// the offscreen platform unless another one is set.
#include <benchmark/benchmark.h>

#include <cstdlib>

template <class TApp>
int RunOffscreen(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  TApp app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
