#pragma once
// Where the library lives and where the program's own files are, decided once at start-up.
//
// A portable copy (the build folder, a folder the user unpacked) keeps dreams.ini and its journals
// beside the executable, as it always has. An installed program cannot write there: its library
// lives in the user's data folder, and the starter pictures stay in the installed data folder.
#include <QString>

struct TProgramFolders {
  QString LibraryDir;  // dreams.ini, and where new files land; ends in "/"
  QString DataDir;     // the program's own files: empty.bmp, starter library and pictures; ends in "/"
  bool Portable = true;
};

// `exeDir`: the executable's folder. `installedDataDir`: where `make install` puts the data
// (relative to the executable); `userDataDir`: the user's data folder for this program.
// Portable when the executable's folder is writable and either holds a dreams.ini already or is
// not an installed program (no starter library in `installedDataDir`).
TProgramFolders ChooseProgramFolders(const QString& exeDir, const QString& installedDataDir,
                                     const QString& userDataDir);

// First start in the user's data folder: creates it (private to the user) and copies the starter
// library in (dreams.ini and the journals it names); files already there are never touched, and
// nothing is copied once a dreams.ini is there. Returns an error text, empty on success.
QString PrepareLibraryFolder(const TProgramFolders& folders);

// The folders of this process: the executable's, the installed data folder and the user's.
TProgramFolders ProgramFoldersOfThisProcess();
