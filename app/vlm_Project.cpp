// The program entry: the command line (vlm_CommandLine.h), or the application object, title, fonts,
// the library's folder, the main window, closing on the session's signals, and the event loop.
#include <QIcon>

#include "vlm_Application.h"
#include "vlm_CommandLine.h"
#include "vlm_MainForm.h"
#include "vlm_ProgramFolders.h"
#include "vlm_Resources.h"
#include "vlm_SignalClose.h"
#include "vlm_UserInteraction.h"

int main(int argc, char** argv) {
  // Exporting from a script, or --help: no window, no display, the library only read.
  if (IsCommandLine(argc, argv)) return RunCommandLine(argc, argv);
  TQtUserInteraction ui;
  TVelmoraApplication app(argc, argv, ui);
  QApplication::setApplicationName(QString::fromUtf8(res::AppTitle));
  QGuiApplication::setDesktopFileName(QStringLiteral(VELMORA_APP_ID));
  // From here on a signal closes the program as its exit button does.
  TSignalListener signalListener;
  Tfrm_MainForm* mainWindow = nullptr;
  bool closeAsked = false;
  QObject::connect(&signalListener, &TSignalListener::Received, [&](int) {
    closeAsked = true;
    CloseForSignal(mainWindow);
  });
  InstallQtTranslations(app);
  RegisterFonts();
  QApplication::setFont(QFont(QStringLiteral("Tahoma"), 8));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(VELMORA_APP_ID), QIcon(QStringLiteral(":/ui/velmora.png"))));

  const TProgramFolders folders = ProgramFoldersOfThisProcess();
  const QString notPrepared = PrepareLibraryFolder(folders);
  if (!notPrepared.isEmpty())
    ui.ShowWarning(nullptr, QString::fromUtf8(res::MsgLibraryFolderNotPrepared).arg(folders.LibraryDir, notPrepared));
  // Two copies of one library: say which one is used, and why.
  const QString choice = LibraryChoiceNote(folders);
  if (!choice.isEmpty()) ui.ShowWarning(nullptr, choice);

  Tfrm_MainForm window(ui, folders.DataDir, folders.LibraryDir);
  // A failed login, or the library open in another copy, ends the program here: nothing written.
  if (window.LoginFailed() || window.AlreadyOpen()) return 0;
  mainWindow = &window;
  // A signal during start-up (a message box was open): close without showing the window.
  if (closeAsked) {
    window.ClosingForSignal();
    window.close();
    return window.ExitStatus();
  }
  window.show();
  const int status = app.exec();
  return status != 0 ? status : window.ExitStatus();
}
