#pragma once
// The application object: a last net that keeps any exception from crossing Qt's event loop.
#include <QApplication>

class TUserInteraction;

class TVelmoraApplication : public QApplication {
public:
  TVelmoraApplication(int& argc, char** argv, TUserInteraction& ui);
  bool notify(QObject* receiver, QEvent* event) override;

private:
  TUserInteraction& FUi;
};

// Registers the fonts the window's design names, where the system has them.
void RegisterFonts();

// Qt's own texts (file dialogs, standard buttons) in Russian, where the translations are installed.
bool InstallQtTranslations(QCoreApplication& app);
