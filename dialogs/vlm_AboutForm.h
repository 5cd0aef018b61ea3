#pragma once
// The about box: a borderless 400 x 300 window with the program's name, version, an introduction,
// credits and the link to the program's home page. Created for one modal showing.
#include <QDialog>
#include <QUrl>
#include <functional>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QToolButton;

class Tfrm_About : public QDialog {
  Q_OBJECT
public:
  // `openUrl` opens an address with the desktop's browser.
  explicit Tfrm_About(std::function<void(const QUrl&)> openUrl, QWidget* parent = nullptr);

  void btn_ExitClick();
  void lbl_LinkClick();

  static constexpr const char* kPicturePath = ":/ui/about_scene.bmp";
  static constexpr const char* kExitGlyphPath = ":/ui/exit.bmp";

  QFrame* pnl_Border = nullptr;
  QLabel* img_About = nullptr;
  QLabel* lbl_Title_2 = nullptr;  // the navy shadow
  QLabel* lbl_Title_1 = nullptr;
  QLabel* lbl_Version = nullptr;
  QPlainTextEdit* mmo_Intro = nullptr;
  QLabel* lbl_Notice = nullptr;
  QLabel* lbl_Credit_1 = nullptr;
  QLabel* lbl_Credit_2 = nullptr;
  QLabel* lbl_Credit_3 = nullptr;
  QLabel* lbl_Link = nullptr;
  QFrame* bvl_Border = nullptr;
  QToolButton* btn_Exit = nullptr;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  std::function<void(const QUrl&)> FOpenUrl;
};
