// main() for tests that drive widgets: an offscreen QApplication, and Qt's settings kept inside
// the build tree so that file dialogs never touch the user's configuration.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const std::string scratch = QDir::currentPath().toStdString() + "/qt-test-home";
  QDir().mkpath(QString::fromStdString(scratch + "/config"));
  QDir().mkpath(QString::fromStdString(scratch + "/runtime"));
  setenv("XDG_CONFIG_HOME", (scratch + "/config").c_str(), 1);
  setenv("XDG_RUNTIME_DIR", (scratch + "/runtime").c_str(), 1);
  QFile(QString::fromStdString(scratch + "/runtime")).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
