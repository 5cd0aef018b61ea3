#include "vlm_Anchors.h"

#include <QEvent>
#include <QWidget>
#include <cmath>

TAnchorLayout::TAnchorLayout(QWidget* parent) : QObject(parent), FParent(parent) {
  parent->installEventFilter(this);
}

namespace {
// One axis: start, length for a parent of `now` that was `ref` when the control was placed.
void ArrangeAxis(int pos, int len, bool near, bool far, int ref, int now, int& outPos, int& outLen) {
  outPos = pos;
  outLen = len;
  if (near && far) {
    outLen = std::max(0, len + (now - ref));
  } else if (far) {
    outPos = pos + (now - ref);
  } else if (!near) {
    // Relative position: the control's centre keeps its share of the parent.
    if (ref > 0) outPos = static_cast<int>(std::lround((pos + len / 2.0) * now / ref - len / 2.0));
  }
}
}  // namespace

QRect TAnchorLayout::Arrange(const QRect& bounds, TAnchors anchors, QSize reference, QSize now) {
  int x, w, y, h;
  ArrangeAxis(bounds.x(), bounds.width(), anchors & akLeft, anchors & akRight, reference.width(), now.width(), x, w);
  ArrangeAxis(bounds.y(), bounds.height(), anchors & akTop, anchors & akBottom, reference.height(), now.height(), y, h);
  return {x, y, w, h};
}

TAnchorLayout::TEntry* TAnchorLayout::Find(const QWidget* w) {
  for (auto& e : FEntries)
    if (e.Widget == w) return &e;
  return nullptr;
}

const TAnchorLayout::TEntry* TAnchorLayout::Find(const QWidget* w) const {
  for (const auto& e : FEntries)
    if (e.Widget == w) return &e;
  return nullptr;
}

void TAnchorLayout::Place(QWidget* w, const QRect& bounds, TAnchors anchors, QSize reference) {
  if (TEntry* e = Find(w)) {
    *e = {w, bounds, anchors, reference};
  } else {
    FEntries.push_back({w, bounds, anchors, reference});
  }
  w->setGeometry(Arrange(bounds, anchors, reference, FParent->size()));
}

void TAnchorLayout::Place(QWidget* w, const QRect& bounds, TAnchors anchors) {
  Place(w, bounds, anchors, FParent->size());
}

void TAnchorLayout::Place(QWidget* w, const QRect& bounds) { Place(w, bounds, AnchorsOf(w)); }

TAnchors TAnchorLayout::AnchorsOf(const QWidget* w) const {
  const TEntry* e = Find(w);
  return e ? e->Anchors : akLeftTop;
}

void TAnchorLayout::Apply() {
  const QSize now = FParent->size();
  for (const auto& e : FEntries) e.Widget->setGeometry(Arrange(e.Bounds, e.Anchors, e.Reference, now));
}

bool TAnchorLayout::eventFilter(QObject* watched, QEvent* event) {
  if (watched == FParent && event->type() == QEvent::Resize) {
    Apply();
    if (AfterApply) AfterApply();
  }
  return QObject::eventFilter(watched, event);
}
