#pragma once
// A library folder holding the generated 50-year journal, for the window benchmarks: as the library's
// default journal (read at the start) or not (read when something asks for it).
#include <QFile>
#include <QTemporaryDir>
#include <string>

#include "journal_generator.h"

struct TFiftyYearsLibrary {
  QTemporaryDir Dir;
  explicit TFiftyYearsLibrary(bool asDefault) {
    const std::string journal = GenerateJournal(50);
    QFile file(Dir.filePath(QStringLiteral("fifty.xml")));
    if (file.open(QIODevice::WriteOnly)) file.write(journal.data(), static_cast<qint64>(journal.size()));
    QFile library(Dir.filePath(QStringLiteral("dreams.ini")));
    if (!library.open(QIODevice::WriteOnly)) return;
    library.write("<?xml version=\"1.0\" encoding=\"UTF-8\" language=\"EN\" standalone=\"yes\"?>\r\n"
                  "<dreamlibrary name=\"L\">\r\n  <options confirmdelete=\"no\" />\r\n  <directory name=\"C\">\r\n"
                  "    <file name=\"Fifty\" path=\"" + Dir.filePath(QStringLiteral("fifty.xml")).toUtf8() +
                  (asDefault ? "\" default=\"yes\" />\r\n" : "\" />\r\n") + "  </directory>\r\n</dreamlibrary>\r\n");
  }
  std::string Path() const { return Dir.filePath(QStringLiteral("fifty.xml")).toStdString(); }
};
