// Where the library lives: beside a portable program, in the user's data folder for an installed one.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <map>

#include "vlm_Application.h"
#include "vlm_ProgramFolders.h"
#include "vlm_TestSupport.h"
#include "vlm_Unprivileged.h"

namespace {
void Put(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(bytes);
}

QByteArray Get(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every file below `dir` with its bytes.
std::map<QString, QByteArray> Snapshot(const QString& dir) {
  std::map<QString, QByteArray> files;
  QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    files[path] = Get(path);
  }
  return files;
}

// The starter library of the source tree, placed as `make install` places it.
void InstallStarter(const QString& to) {
  const QString data = QStringLiteral(VELMORA_SOURCE_DIR "/data/");
  for (const char* name : {"dreams.ini", "empty.bmp"}) Put(to + QLatin1String(name), Get(data + QLatin1String(name)));
  for (const char* sub : {"icons", "journals", "pictures"}) {
    QDirIterator it(data + QLatin1String(sub), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString from = it.next();
      Put(to + QDir(data).relativeFilePath(from), Get(from));
    }
  }
}

struct TFolders {
  QTemporaryDir Root;
  QString Bin = Root.path() + QStringLiteral("/usr/bin/");
  QString Share = Root.path() + QStringLiteral("/usr/share/velmora/");
  QString User = Root.path() + QStringLiteral("/home/.local/share/Velmora/");
  TFolders() { QDir().mkpath(Bin); }
};
}  // namespace

TEST(ProgramFoldersTest, PortableBesideTheProgramInstalledInTheUsersDataFolder) {
  TFolders f;
  // A fresh build folder: nothing installed, so the library is started beside the program.
  TProgramFolders chosen = ChooseProgramFolders(f.Bin, f.Share, f.User);
  EXPECT_TRUE(chosen.Portable);
  EXPECT_EQ(chosen.LibraryDir, f.Bin);
  EXPECT_EQ(chosen.DataDir, f.Bin);
  // An installed program (the starter library is in the data folder): the user's data folder,
  // even where the program's folder could be written (the superuser, a prefix in the home folder).
  Put(f.Share + QStringLiteral("dreams.ini"), "<starter/>");
  chosen = ChooseProgramFolders(f.Bin, f.Share, f.User);
  EXPECT_FALSE(chosen.Portable);
  EXPECT_EQ(chosen.LibraryDir, f.User);
  EXPECT_EQ(chosen.DataDir, f.Share);
  // A library the user keeps beside the program stays in use there.
  Put(f.Bin + QStringLiteral("dreams.ini"), "<mine/>");
  chosen = ChooseProgramFolders(f.Bin, f.Share, f.User);
  EXPECT_TRUE(chosen.Portable);
  EXPECT_EQ(chosen.LibraryDir, f.Bin);
}

// The library beside a program whose folder cannot be written is copied to the user's data folder,
// and each start says which library is used and why; once that folder can be written again, its
// library is used and the start tells about the copy.
TEST(ProgramFoldersTest, AProgramFolderThatCannotBeWrittenKeepsTheLibraryInTheUsersDataFolder) {
  TFolders f;
  Put(f.Bin + QStringLiteral("dreams.ini"), "<starter/>");  // a portable copy on a read-only place
  // Everyone may look into the folders; nobody, the owner included, may write the program's.
  constexpr auto kReadable = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                             QFile::ReadOther | QFile::ExeOther;
  for (const QString& dir : {f.Root.path(), f.Root.path() + QStringLiteral("/usr")})
    ASSERT_TRUE(QFile::setPermissions(dir, kReadable | QFile::WriteOwner));
  ASSERT_TRUE(QFile::setPermissions(f.Bin, kReadable));
  // The user's data folder may be made by the user.
  const QString share = f.Root.path() + QStringLiteral("/home/.local/share");
  ASSERT_TRUE(QDir().mkpath(share));
  for (const QString& dir : {f.Root.path() + QStringLiteral("/home"), f.Root.path() + QStringLiteral("/home/.local"), share})
    ASSERT_TRUE(QFile::setPermissions(dir, kReadable | QFile::WriteOwner | QFile::WriteOther));
  AsUnprivilegedUser([&] {
    const TProgramFolders chosen = ChooseProgramFolders(f.Bin, f.Share, f.User);
    EXPECT_FALSE(chosen.Portable);
    EXPECT_EQ(chosen.LibraryDir, f.User);
    EXPECT_EQ(chosen.DataDir, f.Bin);  // its dreams.ini is the starter
    EXPECT_EQ(chosen.UnusedBeside, f.Bin);
    ASSERT_EQ(PrepareLibraryFolder(chosen), QString());
    EXPECT_EQ(Get(f.User + QStringLiteral("dreams.ini")), "<starter/>");
    const QString note = LibraryChoiceNote(chosen);
    EXPECT_TRUE(note.contains(f.Bin) && note.contains(f.User + QStringLiteral("dreams.ini"))) << note.toStdString();
  });
  ASSERT_TRUE(QFile::setPermissions(f.Bin, kReadable | QFile::WriteOwner));
  const TProgramFolders again = ChooseProgramFolders(f.Bin, f.Share, f.User);
  EXPECT_TRUE(again.Portable);
  EXPECT_EQ(again.OtherCopy, f.User);
  const QString note = LibraryChoiceNote(again);
  EXPECT_TRUE(note.contains(f.Bin + QStringLiteral("dreams.ini")) && note.contains(f.User + QStringLiteral("dreams.ini")))
      << note.toStdString();
  // A library of the user's own in the data folder is no copy of this one: nothing to tell.
  ASSERT_TRUE(QFile::remove(f.User + QStringLiteral(".velmora-copy-of")));
  EXPECT_TRUE(LibraryChoiceNote(ChooseProgramFolders(f.Bin, f.Share, f.User)).isEmpty());
}

TEST(ProgramFoldersTest, FirstStartCopiesTheStarterLibraryOnceAndNeverOverwritesTheUsers) {
  TFolders f;
  Put(f.Share + QStringLiteral("dreams.ini"), "<starter/>");
  Put(f.Share + QStringLiteral("journals/example.xml"), "<example/>");
  Put(f.Share + QStringLiteral("journals/more/second.xml"), "<second/>");
  Put(f.Share + QStringLiteral("icons/day.bmp"), "BM");
  const TProgramFolders installed{f.User, f.Share, false};

  ASSERT_EQ(PrepareLibraryFolder(installed), QString());
  EXPECT_EQ(Get(f.User + QStringLiteral("dreams.ini")), "<starter/>");
  EXPECT_EQ(Get(f.User + QStringLiteral("journals/example.xml")), "<example/>");
  EXPECT_EQ(Get(f.User + QStringLiteral("journals/more/second.xml")), "<second/>");
  EXPECT_FALSE(QFileInfo::exists(f.User + QStringLiteral("icons")));  // pictures are found where installed
  // A diary is private: the folder and the copies are the user's alone.
  EXPECT_EQ(QFileInfo(f.User).permissions() & 0077, 0);
  EXPECT_EQ(QFileInfo(f.User + QStringLiteral("dreams.ini")).permissions() & 0077, 0);
  EXPECT_TRUE(QFileInfo(f.User + QStringLiteral("dreams.ini")).isWritable());

  // Later starts: what the user changed or deleted stays so.
  Put(f.User + QStringLiteral("dreams.ini"), "<mine/>");
  ASSERT_TRUE(QFile::remove(f.User + QStringLiteral("journals/example.xml")));
  ASSERT_EQ(PrepareLibraryFolder(installed), QString());
  EXPECT_EQ(Get(f.User + QStringLiteral("dreams.ini")), "<mine/>");
  EXPECT_FALSE(QFileInfo::exists(f.User + QStringLiteral("journals/example.xml")));

  // A portable program touches nothing; a folder that cannot be made is reported.
  EXPECT_EQ(PrepareLibraryFolder({f.Root.path() + QStringLiteral("/elsewhere/"), f.Share, true}), QString());
  EXPECT_FALSE(QFileInfo::exists(f.Root.path() + QStringLiteral("/elsewhere")));
  Put(f.Root.path() + QStringLiteral("/plain-file"), "x");
  EXPECT_FALSE(PrepareLibraryFolder({f.Root.path() + QStringLiteral("/plain-file/Velmora/"), f.Share, false}).isEmpty());
}

TEST(ProgramFoldersTest, InstalledStarterLibraryOpensFromTheUsersFolderAndSurvivesARestart) {
  TFolders f;
  InstallStarter(f.Share);
  const auto installedBefore = Snapshot(f.Share);
  const TProgramFolders installed{f.User, f.Share, false};
  ASSERT_EQ(PrepareLibraryFolder(installed), QString());
  {
    TScriptedInteraction ui;
    Tfrm_MainForm form(ui, installed.DataDir, installed.LibraryDir);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form.DefaultJournalsPending(); }, 20000));  // read on a thread
    // Every tree picture was found in the installed folder, the journal was read whole.
    EXPECT_TRUE(ui.Warnings.isEmpty()) << ui.Warnings.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(form.iml_TreeImages.Count(), 6);
    // The default journal is the user's copy, so it can be written back.
    ASSERT_EQ(form.Library().Journals().Documents().size(), 1u);
    EXPECT_EQ(QString::fromStdString(form.Library().Journals().Documents()[0]->FileName),
              f.User + QStringLiteral("journals/example.xml"));
    EXPECT_GT(form.Library().Journals().Documents()[0]->Root->ChildCount(), 0);
    form.Library().Document().Root->SetAttribute("name", "Renamed");
    EXPECT_TRUE(form.close());
    EXPECT_TRUE(ui.SaveFailureQuestions.isEmpty());
  }
  EXPECT_TRUE(Get(f.User + QStringLiteral("dreams.ini")).contains("name=\"Renamed\""));
  EXPECT_TRUE(installedBefore == Snapshot(f.Share)) << "the installed files were written";

  // The second start reads the user's library as the first one left it.
  ASSERT_EQ(PrepareLibraryFolder(installed), QString());
  TScriptedInteraction ui;
  Tfrm_MainForm again(ui, installed.DataDir, installed.LibraryDir);
  EXPECT_EQ(again.Library().Document().Root->GetAttribute("name"), "Renamed");
  EXPECT_TRUE(ui.Warnings.isEmpty());
}

// The file and message dialogs of Qt itself speak the program's language.
TEST(QtTranslationsTest, StandardButtonsAreRussianOnceInstalled) {
  ASSERT_TRUE(InstallQtTranslations(*QCoreApplication::instance()));
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString::fromUtf8("Отмена"));
}
