// The starter library shipped in data/: it must read cleanly, write back unchanged, and name only
// files that are shipped beside it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "vlm_Types.h"
#include "xml_functions.h"
#include "xml_mainUnit.h"

namespace fs = std::filesystem;

namespace {

const fs::path kData = fs::path(VELMORA_SOURCE_DIR) / "data";

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Loads a shipped document and checks that the writer gives back the very same bytes.
void ExpectReadsAndWritesBackUnchanged(const fs::path& path, TXMLParser& document) {
  const std::string bytes = ReadBytes(path);
  ASSERT_FALSE(bytes.empty()) << path;
  document.LoadFromFile(Utf8ToCp1251(path.string()));
  ASSERT_EQ(document.Status, xrOk) << path;
  EXPECT_EQ(document.SaveToString(), bytes) << path;
}

bool Shipped(const std::string& cp1251RelativePath) {
  return fs::is_regular_file(kData / NativePath(cp1251RelativePath));
}

}  // namespace

TEST(StarterLibrary, LibraryReadsWritesBackAndNamesShippedFiles) {
  TXMLParser library;
  ExpectReadsAndWritesBackUnchanged(kData / "dreams.ini", library);
  EXPECT_EQ(library.Root->Name, tagDreamLibrary);

  int icons = 0, labels = 0, defaults = 0;
  for (const auto& child : library.Root->Children) {
    if (child->Name == tagIcon) {
      ++icons;
      EXPECT_TRUE(Shipped(child->GetAttribute(attrPath))) << child->GetAttribute(attrPath);
    } else if (child->Name == tagLabel) {
      ++labels;
    }
  }
  EXPECT_EQ(icons, 6);  // selected, library, catalog, journal, day, dream
  EXPECT_EQ(labels, 4);

  // Every journal entry, however deep, points at a shipped journal; exactly one is the default.
  std::vector<const TXMLNode*> pending{library.Root.get()};
  while (!pending.empty()) {
    const TXMLNode* node = pending.back();
    pending.pop_back();
    for (const auto& child : node->Children) {
      if (child->Name == tagDirectory) pending.push_back(child.get());
      if (child->Name != tagFile) continue;
      EXPECT_TRUE(Shipped(child->GetAttribute(attrPath))) << child->GetAttribute(attrPath);
      if (child->GetAttribute(attrDefault) == litYes) ++defaults;
    }
  }
  EXPECT_EQ(defaults, 1);
  EXPECT_TRUE(fs::is_regular_file(kData / std::string(litEmptyPicture)));
}

TEST(StarterLibrary, ExampleJournalReadsWritesBackAndItsPicturesAreShipped) {
  TXMLParser journal;
  ExpectReadsAndWritesBackUnchanged(kData / "journals" / "example.xml", journal);
  EXPECT_EQ(journal.Root->Name, tagJournal);
  EXPECT_EQ(journal.Parameters->DocType.Text, litJournalDocType);

  int experiences = 0, pictures = 0;
  for (const auto& day : journal.Root->Children) {
    ASSERT_EQ(day->Name, tagDay);
    for (const auto& experience : day->Children) {
      if (experience->Name != tagExperience) continue;
      ++experiences;
      if (const TXMLNode* energy = experience->FindNode(tagEnergy)) {
        const int level = std::stoi(energy->GetAttribute(attrLevel));
        EXPECT_GE(level, 0);
        EXPECT_LE(level, 200);
      }
      if (const TXMLNode* image = experience->FindNode(tagImage)) {
        ++pictures;
        EXPECT_TRUE(Shipped(image->GetAttribute(attrPath))) << image->GetAttribute(attrPath);
      }
    }
  }
  EXPECT_GT(experiences, 0);
  EXPECT_GE(pictures, 1);
}
