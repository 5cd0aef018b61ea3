#include "vlm_Application.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "vlm_ErrorBoundary.h"

TVelmoraApplication::TVelmoraApplication(int& argc, char** argv, TUserInteraction& ui)
    : QApplication(argc, argv), FUi(ui) {}

bool TVelmoraApplication::notify(QObject* receiver, QEvent* event) {
  bool handled = false;
  Guard(FUi, activeWindow(), [&] { handled = QApplication::notify(receiver, event); });
  return handled;
}

void RegisterFonts() {
  // fonts-wine's Tahoma (with Cyrillic) is not in fontconfig's search path.
  const QString tahoma = QStringLiteral("/usr/share/wine/fonts/tahoma.ttf");
  if (QFile::exists(tahoma)) QFontDatabase::addApplicationFont(tahoma);
  const QString tahomaBold = QStringLiteral("/usr/share/wine/fonts/tahomabd.ttf");
  if (QFile::exists(tahomaBold)) QFontDatabase::addApplicationFont(tahomaBold);
  QFont::insertSubstitution(QStringLiteral("Book Antiqua"), QStringLiteral("TeX Gyre Pagella"));
  // The bitmap-only "MS Sans Serif" of fonts-wine renders poorly in Qt.
  QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Tahoma"));
}

bool InstallQtTranslations(QCoreApplication& app) {
  // The program speaks Russian; the file and message dialogs of Qt itself should too.
  auto* translator = new QTranslator(&app);
  if (!translator->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}
