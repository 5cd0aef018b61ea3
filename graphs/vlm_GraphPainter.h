#pragma once
// TVLGraph: a chart painter. The caller sets the public fields, fills the values and calls Draw with
// a canvas (for a QImage: TImageCanvas of vlm_ImageCanvas.h) and the rectangle to draw into:
//
//   TImageCanvas canvas(image);
//   graph.Draw(canvas, TRect{20, 40, 600, 300});
//
// Every drawing starts from scratch in that rectangle; values and settings survive it.
#include <cstdint>
#include <string>
#include <vector>

#include "tarvek_Canvas.h"
#include "tarvek_Utility.h"

struct TVLGraphValue {
  std::string Name;  // kept with the value, never drawn
  double X = 0.0;
  double Y = 0.0;
};

using TVLGraphValueArray = std::vector<TVLGraphValue>;

struct TVLGraphHeader {
  std::string Text;
  TFont Font;
  std::uint8_t Alignment = 2;  // 0 left, 1 right, 2 centre; anything else left
};

// Labels Start, Start + Step, ... inside the axis range; Count 0 means none, a negative Count or
// one above 1000 means 1000 tries.
struct TGraphAxis {
  double Start = 0.0;
  double Step = 1.0;
  std::int32_t Count = -1;
};

enum TGraphKind : std::uint8_t {
  gkSquares = 0,
  gkCircles = 1,
  gkLineSquares = 2,
  gkLineCircles = 3,
  gkLine = 4,
  gkHorzBars = 5,
  gkVertBars = 6,
};

class TVLGraph {
public:
  TVLGraph();
  virtual ~TVLGraph();
  TVLGraph(const TVLGraph&) = default;
  TVLGraph& operator=(const TVLGraph&) = default;

  void SetColors(const TColorArray& colors);
  void AddValue(const std::string& name, double x, double y);
  void ClearValues();
  // Draws into `area` of the bitmap. Nothing at all when either range is narrower than 1e-6 or
  // not finite; then Bitmap and Area keep their previous values.
  void Draw(TCanvas& bitmap, const TRect& area);

  double XMin = 1.0;
  double XMax = 10.0;
  double YMin = 0.0;
  double YMax = 10.0;
  double BarWidth = 0.05;
  TVLGraphValueArray Values;
  TGraphKind Kind = gkHorzBars;
  TColor AxisColor = clBlack;
  TColorArray Colors;
  TColor OutlineColor = clNone;
  TColor BackColor = clNone;
  TPen LinePen{psDot, 1, clBlack};
  TGraphAxis XAxis;
  TGraphAxis YAxis;
  std::string XFormat = "%.0n";
  std::string YFormat = "%.0n";
  TFont AxisFont;
  TCanvas* Bitmap = nullptr;  // not owned; the target of the last drawing
  TRect Area;
  TVLGraphHeader Title;
  TVLGraphHeader Footer;

private:
  struct TLabel {
    double Value;
    std::string Text;
  };
  struct TDataBox {
    int Left, Top, Right, Bottom;  // inset plot rectangle L', T, R, B'
    int H, W, S;
  };

  // Where a label goes along its axis: its first pixel and its width (or height).
  struct TSpan {
    int At, Extent;
  };
  using TPlace = TSpan (TVLGraph::*)(const TRect& plot, const TLabel& label);

  std::vector<TLabel> Labels(const TGraphAxis& axis, double lo, double hi, const std::string& format) const;
  // How many labels LongerSteps would make, without making them.
  int LongerStepCount(const TGraphAxis& axis, double multiple, double lo, double hi) const;
  // Every `multiple`-th step of the axis, from a multiple of that longer step; the same limits.
  std::vector<TLabel> LongerSteps(const TGraphAxis& axis, double multiple, double lo, double hi,
                                  const std::string& format) const;
  // The labels as they are when none overlaps another along the plot's side; else as few as it
  // takes: every 2nd, 5th, 10th, 20th, ... step, or failing that every label that clears the last.
  std::vector<TLabel> Fitting(const TGraphAxis& axis, double lo, double hi, const std::string& format,
                              std::vector<TLabel> labels, const TRect& plot, TPlace place);
  bool Apart(const std::vector<TLabel>& labels, const TRect& plot, TPlace place);
  TSpan BelowVertical(const TRect& plot, const TLabel& label);  // value labels below, vertical kinds
  TSpan LeftVertical(const TRect& plot, const TLabel& label);
  TSpan BelowHorizontal(const TRect& plot, const TLabel& label);
  TSpan LeftHorizontal(const TRect& plot, const TLabel& label);
  // The labels of both axes thinned to what fits, and the plot's rectangle for them.
  TRect FitLabels(const TRect& headers, std::vector<TLabel>& below, const TGraphAxis& belowAxis, double belowLo,
                  double belowHi, const std::string& belowFormat, TPlace placeBelow, std::vector<TLabel>& left,
                  const TGraphAxis& leftAxis, double leftLo, double leftHi, const std::string& leftFormat,
                  TPlace placeLeft);
  TRect DrawHeaders();
  // The plot's rectangle within `headers`, with room for the labels below and left of it.
  TRect PlotArea(const TRect& headers, const std::vector<TLabel>& below, const std::vector<TLabel>& left);
  void DrawAxisLines(const TRect& plot);
  TRect DrawAxesValueVertical();
  TRect DrawAxesValueHorizontal();
  TDataBox DataBox(const TRect& plot) const;
  int ValueHeight(double y, int extent) const;
  double XFraction(double x) const { return (x - XMin) / (XMax - XMin); }
  bool InXRange(const TVLGraphValue& v) const;
  void DrawPoints();
  void DrawPolyline();
  void DrawLineWithMarkers();
  void DrawVertBars();
  void DrawHorzBars();
  void DrawMarker(const TDataBox& box, int p, int h, bool round);
  std::vector<std::uint32_t> GradientTable(int first, int last, int extent) const;
};

// The look of a journal's two charts wherever they are drawn (the work area, an export): fonts,
// headers and colours of the dreams-per-day line and of the labels' bars.
void SetUpJournalCharts(TVLGraph& perDay, TVLGraph& quality, const std::string& fontName);
