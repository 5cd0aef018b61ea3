// The program entry: application object, title, fonts, the main window and the event loop.
#include <QIcon>

#include "vlm_Application.h"
#include "vlm_MainForm.h"
#include "vlm_Resources.h"
#include "vlm_UserInteraction.h"

int main(int argc, char** argv) {
  TQtUserInteraction ui;
  TVelmoraApplication app(argc, argv, ui);
  QApplication::setApplicationName(QString::fromUtf8(res::AppTitle));
  RegisterFonts();
  QApplication::setFont(QFont(QStringLiteral("Tahoma"), 8));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/ui/velmora.png")));

  Tfrm_MainForm window(ui, QCoreApplication::applicationDirPath() + QLatin1Char('/'));
  // A failed login ends the program here: no event loop, nothing written.
  if (window.LoginFailed()) return 0;
  window.show();
  return app.exec();
}
