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
  // Not portable: the program's folder when it holds a dreams.ini that is not used because the
  // folder cannot be written. Empty otherwise.
  QString UnusedBeside{};
  // Portable: the user's data folder when it holds a copy of this library made by an earlier
  // start while the program's folder could not be written. Empty otherwise.
  QString OtherCopy{};
};

// `exeDir`: the executable's folder. `installedDataDir`: where `make install` puts the data
// (relative to the executable); `userDataDir`: the user's data folder for this program.
// Portable when the executable's folder is writable and either holds a dreams.ini already or is
// not an installed program (no starter library in `installedDataDir`).
TProgramFolders ChooseProgramFolders(const QString& exeDir, const QString& installedDataDir,
                                     const QString& userDataDir);

// First start in the user's data folder: creates it (private to the user) and copies the starter
// library in (dreams.ini and the journals it names); files already there are never touched, and
// nothing is copied once a dreams.ini is there. A library copied from beside the program (whose
// folder cannot be written) is marked as a copy of that folder's. Returns an error text, empty on
// success.
QString PrepareLibraryFolder(const TProgramFolders& folders);

// For the user, after PrepareLibraryFolder: which library is used and why, when a second copy of
// a library is about (UnusedBeside or OtherCopy); empty otherwise.
QString LibraryChoiceNote(const TProgramFolders& folders);

// The folders of this process: the executable's, the installed data folder and the user's.
TProgramFolders ProgramFoldersOfThisProcess();
