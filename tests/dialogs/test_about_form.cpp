// The about box: borderless, its link through the given opener, closed by its button or Escape.
#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <vector>

#include "vlm_AboutForm.h"
#include "vlm_Resources.h"

TEST(AboutFormTest, BorderlessWithTheShadowedTitle) {
  // The fonts the program registers at start (fonts-wine's Tahoma).
  for (const char* font : {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"})
    ASSERT_GE(QFontDatabase::addApplicationFont(QLatin1String(font)), 0) << font;
  Tfrm_About about(nullptr);
  EXPECT_EQ(about.size(), QSize(400, 300));
  EXPECT_TRUE(about.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(about.btn_Exit->text(), QStringLiteral("Закрыть"));
  // The navy copy lies one pixel right and two down, under the blue one.
  EXPECT_EQ(about.lbl_Title_2->pos() - about.lbl_Title_1->pos(), QPoint(1, 2));
  EXPECT_EQ(about.lbl_Title_1->text(), QStringLiteral("Velmora"));
  QWidget* parent = about.lbl_Title_1->parentWidget();
  EXPECT_GT(parent->children().indexOf(about.lbl_Title_1), parent->children().indexOf(about.lbl_Title_2));
  // The picture's right edge does not cut the title, whichever font stands in for Book Antiqua.
  const QRect ink = about.lbl_Title_2->fontMetrics().boundingRect(about.lbl_Title_2->text());
  EXPECT_LT(about.lbl_Title_2->x() + ink.right(), about.img_About->geometry().right());
  EXPECT_GE(about.lbl_Title_1->x() + ink.left(), about.img_About->x());
  EXPECT_TRUE(about.lbl_Version->text().contains(QStringLiteral("0.")));
  // Every line of the right-hand column ends inside the window's raised border.
  for (QLabel* label : {about.lbl_Version, about.lbl_Notice, about.lbl_Credit_1, about.lbl_Credit_2,
                        about.lbl_Credit_3, about.lbl_Link})
    EXPECT_LE(label->geometry().right(), 397) << label->text().toStdString();
}

TEST(AboutFormTest, LinkOpensTheHomePageAndTheButtonCloses) {
  std::vector<QUrl> opened;
  Tfrm_About about([&](const QUrl& url) { opened.push_back(url); });
  QTimer::singleShot(0, &about, [&] {
    QTest::mouseClick(about.lbl_Link, Qt::LeftButton);
    QTest::mouseClick(about.btn_Exit, Qt::LeftButton);
  });
  about.exec();  // returns only when the button closed it
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], QUrl(QString::fromUtf8(res::MakerWebAddress)));
  EXPECT_FALSE(about.isVisible());
}

TEST(AboutFormTest, EscapeClosesTheBoxWithoutATitleBar) {
  Tfrm_About about(nullptr);
  QTimer::singleShot(0, &about, [&] { QTest::keyClick(&about, Qt::Key_Escape); });
  about.exec();
  EXPECT_FALSE(about.isVisible());
}
