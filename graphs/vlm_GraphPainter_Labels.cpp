// The axis labels of TVLGraph thinned to what fits: on a journal of thousands of nights every
// number would be drawn over its neighbours. Labels that fit are drawn as they are.
#include <algorithm>
#include <cmath>
#include <limits>

#include "vlm_GraphPainter.h"

namespace {
constexpr int kMaxLabelTries = 1000;  // as Labels tries
constexpr int kLabelGap = 2;          // pixels at least between two labels
constexpr int kFittingRounds = 3;     // labels thinned, the plot laid out again for them, ...
constexpr int kMaxThinning = 2000;    // steps up to 10^666 times the axis's: past any double's range
}  // namespace

std::vector<TVLGraph::TLabel> TVLGraph::LongerSteps(const TGraphAxis& axis, double multiple, double lo, double hi,
                                                    const std::string& format) const {
  std::vector<TLabel> labels;
  const double step = axis.Step * multiple;
  // No label beyond the ones the axis asks for; with as many tries as Labels makes, in longer steps.
  const double last = axis.Count > 0 && axis.Count <= kMaxLabelTries ? axis.Start + (axis.Count - 1) * axis.Step
                                                                      : std::numeric_limits<double>::infinity();
  const double first = std::ceil(axis.Start / step) * step;  // round numbers: multiples of the step
  for (int i = 0; i < kMaxLabelTries; ++i) {
    const double v = first + i * step;
    if (v > hi || v > last) break;
    if (v >= lo) labels.push_back({v, Bitmap->FormatNumber(format, v)});
  }
  return labels;
}

int TVLGraph::LongerStepCount(const TGraphAxis& axis, double multiple, double lo, double hi) const {
  int count = 0;
  const double step = axis.Step * multiple;
  const double last = axis.Count > 0 && axis.Count <= kMaxLabelTries ? axis.Start + (axis.Count - 1) * axis.Step
                                                                      : std::numeric_limits<double>::infinity();
  const double first = std::ceil(axis.Start / step) * step;
  for (int i = 0; i < kMaxLabelTries; ++i) {
    const double v = first + i * step;
    if (v > hi || v > last) break;
    if (v >= lo) ++count;
  }
  return count;
}

bool TVLGraph::Apart(const std::vector<TLabel>& labels, const TRect& plot, TPlace place) {
  std::vector<TSpan> spans;
  for (const TLabel& l : labels) spans.push_back((this->*place)(plot, l));
  std::sort(spans.begin(), spans.end(), [](const TSpan& a, const TSpan& b) { return a.At < b.At; });
  for (std::size_t k = 1; k < spans.size(); ++k)
    if (spans[k].At < spans[k - 1].At + spans[k - 1].Extent + kLabelGap) return false;
  return true;
}

std::vector<TVLGraph::TLabel> TVLGraph::Fitting(const TGraphAxis& axis, double lo, double hi, const std::string& format,
                                                std::vector<TLabel> labels, const TRect& plot, TPlace place) {
  if (labels.size() < 2 || Apart(labels, plot, place)) return labels;
  // Labels of a step that cannot be apart are not made: on an axis of thousands of nights that
  // would be a thousand numbers formatted and measured for each step tried. They cannot be apart
  // when, at half the narrowest label's extent each, they need more than twice the plot's size.
  int narrowest = std::numeric_limits<int>::max();
  for (const TLabel& l : labels) narrowest = std::min(narrowest, (this->*place)(plot, l).Extent);
  const double room = 2.0 * std::max(plot.Right - plot.Left, plot.Bottom - plot.Top) + 200;
  // Every 2nd, 5th, 10th, 20th, ... step, while two labels still fall within the range.
  if (axis.Step > 0 && std::isfinite(axis.Step))
    for (int i = 0;; ++i) {
      const double multiple = (i % 3 == 0 ? 2 : i % 3 == 1 ? 5 : 10) * std::pow(10.0, i / 3);
      if (!(axis.Step * multiple <= hi - lo) || i > kMaxThinning) break;
      const int count = LongerStepCount(axis, multiple, lo, hi);
      if (count >= 2 && (count - 1) * (narrowest / 2.0 + kLabelGap) > room) continue;
      std::vector<TLabel> longer = LongerSteps(axis, multiple, lo, hi, format);
      if (longer.size() < 2) break;
      if (Apart(longer, plot, place)) return longer;
    }
  // Otherwise (no usable step): in order along the side, each label that clears the last one kept.
  std::vector<std::pair<TSpan, std::size_t>> order;
  for (std::size_t i = 0; i < labels.size(); ++i) order.push_back({(this->*place)(plot, labels[i]), i});
  std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first.At < b.first.At; });
  std::vector<bool> keep(labels.size(), false);
  long long end = std::numeric_limits<long long>::min();
  for (const auto& [span, i] : order)
    if (span.At >= end) {
      keep[i] = true;
      end = static_cast<long long>(span.At) + span.Extent + kLabelGap;
    }
  std::vector<TLabel> kept;
  for (std::size_t i = 0; i < labels.size(); ++i)
    if (keep[i]) kept.push_back(labels[i]);
  return kept;
}

TRect TVLGraph::FitLabels(const TRect& headers, std::vector<TLabel>& below, const TGraphAxis& belowAxis, double belowLo,
                          double belowHi, const std::string& belowFormat, TPlace placeBelow, std::vector<TLabel>& left,
                          const TGraphAxis& leftAxis, double leftLo, double leftHi, const std::string& leftFormat,
                          TPlace placeLeft) {
  TRect plot = PlotArea(headers, below, left);
  for (int round = 0; round < kFittingRounds; ++round) {
    std::vector<TLabel> fewerBelow = Fitting(belowAxis, belowLo, belowHi, belowFormat, below, plot, placeBelow);
    std::vector<TLabel> fewerLeft = Fitting(leftAxis, leftLo, leftHi, leftFormat, left, plot, placeLeft);
    if (fewerBelow.size() == below.size() && fewerLeft.size() == left.size()) break;
    below = std::move(fewerBelow);
    left = std::move(fewerLeft);
    plot = PlotArea(headers, below, left);  // fewer (or wider) labels may leave another room
  }
  return plot;
}

TVLGraph::TSpan TVLGraph::BelowVertical(const TRect& plot, const TLabel& label) {
  const int plotW = plot.Right - plot.Left;
  const int gap = Kind == gkLine ? 0 : RoundHalfEven(plotW * BarWidth);
  const int w = Bitmap->TextWidth(label.Text);
  return {RoundHalfEven(XFraction(label.Value) * (plotW - gap) + gap / 2.0 - w / 2.0) + plot.Left, w};
}

TVLGraph::TSpan TVLGraph::LeftVertical(const TRect& plot, const TLabel& label) {
  const int plotH = plot.Bottom - plot.Top;
  const int h = Bitmap->TextHeight(label.Text);
  return {plot.Bottom - RoundHalfEven((label.Value - YMin) / (YMax - YMin) * plotH + h / 2.0), h};
}

TVLGraph::TSpan TVLGraph::BelowHorizontal(const TRect& plot, const TLabel& label) {
  const int plotW = plot.Right - plot.Left;
  const int w = Bitmap->TextWidth(label.Text);
  return {RoundHalfEven((label.Value - YMin) / (YMax - YMin) * plotW - w / 2.0) + plot.Left, w};
}

TVLGraph::TSpan TVLGraph::LeftHorizontal(const TRect& plot, const TLabel& label) {
  const int plotH = plot.Bottom - plot.Top, plotW = plot.Right - plot.Left;
  const int gap = RoundHalfEven(plotW * BarWidth);
  const int h = Bitmap->TextHeight(label.Text);
  return {plot.Bottom - RoundHalfEven(XFraction(label.Value) * (plotH - gap) + h), h};
}
