#pragma once
// Small journals for the insights tests, written as the program writes them and read into a tree.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "xml_functions.h"
#include "xml_mainUnit.h"
#include "xml_node.h"

inline std::string Cp(const std::string& utf8) { return Utf8ToCp1251(utf8); }

struct TTestDream {
  std::string Night;  // the night's name, "dd.mm.yy" as a rule
  std::string Description;  // UTF-8
  unsigned Labels = 0;      // bit n-1 for label n
  int Energy = -1;          // the stored level; -1: no energy element
  std::string Title = "Сон";
};

// Consecutive dreams of one night name share a day element; `nightComments` gives a night's own comment.
inline std::string JournalXml(const std::vector<TTestDream>& dreams,
                              const std::vector<std::pair<std::string, std::string>>& nightComments = {}) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" language=\"EN\" standalone=\"yes\"?>\r\n<velmora>\r\n";
  for (std::size_t i = 0; i < dreams.size(); ++i) {
    const TTestDream& d = dreams[i];
    if (i == 0 || dreams[i - 1].Night != d.Night) {
      if (i) xml += "  </day>\r\n";
      xml += "  <day name=\"" + d.Night + "\">\r\n";
      for (const auto& [night, comment] : nightComments)
        if (night == d.Night) xml += "    <comment>" + comment + "</comment>\r\n";
    }
    xml += "    <experience number=\"" + std::to_string(i + 1) + "\" title=\"" + d.Title + "\">\r\n";
    xml += "      <description>" + d.Description + "</description>\r\n      <properties";
    for (int n = 1; n <= 4; ++n) xml += " label" + std::to_string(n) + "=\"" + ((d.Labels >> (n - 1)) & 1 ? "true" : "false") + "\"";
    xml += " />\r\n";
    if (d.Energy >= 0) xml += "      <energy level=\"" + std::to_string(d.Energy) + "\" />\r\n";
    xml += "    </experience>\r\n";
  }
  if (!dreams.empty()) xml += "  </day>\r\n";
  return Cp(xml + "</velmora>\r\n");
}

struct TTestJournal {
  TXMLParser Doc;
  explicit TTestJournal(const std::string& cp1251) { EXPECT_EQ(Doc.LoadFromString(cp1251), xrOk); }
  const TXMLNode& Root() const { return *Doc.Root; }
};

inline std::string NightName(int day, int month, int year) {
  char name[16];
  std::snprintf(name, sizeof name, "%02d.%02d.%02d", day, month, year % 100);
  return name;
}
