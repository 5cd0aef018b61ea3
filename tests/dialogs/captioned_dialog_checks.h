#pragma once
// Window managers draw border buttons as they please (openbox draws minimise, maximise and close
// on any titled dialog and then cuts the title): the small dialogs have no frame of theirs and
// show their whole title themselves, above a client panel that holds every control.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include "vlm_CaptionedDialog.h"

inline void ExpectOwnCaptionWithTheWholeTitle(TCaptionedDialog& dialog) {
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_FALSE(dialog.windowTitle().isEmpty());
  EXPECT_EQ(dialog.lbl_Caption->text(), dialog.windowTitle());
  EXPECT_TRUE(dialog.lbl_Caption->isVisible());
  EXPECT_LE(dialog.lbl_Caption->fontMetrics().horizontalAdvance(dialog.windowTitle()) + dialog.lbl_Caption->indent(),
            dialog.lbl_Caption->contentsRect().width());
  EXPECT_EQ(dialog.lbl_Caption->geometry().bottom() + 1, dialog.pnl_Client->geometry().top());
  EXPECT_TRUE(dialog.rect().contains(dialog.pnl_Client->geometry()));
  for (const QWidget* control : dialog.pnl_Client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    if (control->isVisible()) {
      EXPECT_TRUE(dialog.pnl_Client->rect().contains(control->geometry()))
          << control->metaObject()->className() << " at " << control->x() << "," << control->y();
    }
}
