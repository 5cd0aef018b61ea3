#pragma once
// Anchored placement of child widgets in a parent without a layout: each control keeps its
// distance to the parent edges it is anchored to; a control anchored to neither edge of an
// axis keeps its relative position on that axis.
#include <QObject>
#include <QRect>
#include <QSize>
#include <functional>
#include <vector>

class QWidget;

enum TAnchor : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = unsigned;
inline constexpr TAnchors akLeftTop = akLeft | akTop;
inline constexpr TAnchors akAll = akLeft | akTop | akRight | akBottom;

class TAnchorLayout : public QObject {
public:
  explicit TAnchorLayout(QWidget* parent);

  // Places `w` at `bounds` as if the parent were `reference` in size, anchored by `anchors`,
  // then applies the rules to the parent's current size.
  void Place(QWidget* w, const QRect& bounds, TAnchors anchors, QSize reference);
  // Same with the parent's current size as the reference: what code that moves a control uses.
  void Place(QWidget* w, const QRect& bounds, TAnchors anchors);
  void Place(QWidget* w, const QRect& bounds);  // keeps the anchors
  TAnchors AnchorsOf(const QWidget* w) const;
  // Applies every control's rules to the parent's current size.
  void Apply();

  // Geometry of a control for a parent of size `now` (exposed for tests).
  static QRect Arrange(const QRect& bounds, TAnchors anchors, QSize reference, QSize now);

  // Called after the rules were applied for a new size of the parent.
  std::function<void()> AfterApply;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  struct TEntry {
    QWidget* Widget;
    QRect Bounds;
    TAnchors Anchors;
    QSize Reference;
  };
  TEntry* Find(const QWidget* w);
  const TEntry* Find(const QWidget* w) const;

  QWidget* FParent;
  std::vector<TEntry> FEntries;
};
