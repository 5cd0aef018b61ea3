// The library and journal documents of the file format read and write back byte for byte.
#include <gtest/gtest.h>

#include "xml_test_util.h"

namespace {

const std::string kLibrary = Utf8ToCp1251(Lines({
    kDeclaration,
    "",
    "",
    "<dreamlibrary name=\"Мои сны\">",
    "  <icon path=\"icons\\library.bmp\" name=\"Dream Library\" />",
    "  <icon path=\"icons\\catalog.bmp\" name=\"Dream Directory\" />",
    "  <label caption=\"Осознанное сновидение\" />",
    "  <options confirmdelete=\"yes\" />",
    "  <directory name=\"2026\">",
    "    <file name=\"Декабрь\" path=\"C:\\Сны\\dec.xml\" default=\"yes\" />",
    "  </directory>",
    "  <form left=\"200\" top=\"103\" width=\"663\" height=\"480\" treewidth=\"200\" />",
    "</dreamlibrary>",
}));

const std::string kJournal = Utf8ToCp1251(Lines({
    kDeclaration,
    "<!DOCTYPE vel_mora SYSTEM \"../vel_mora.dtd\">",
    "",
    "<velmora>",
    "  <day name=\"06.12.26\">",
    "    <experience number=\"001\" title=\"Полёт над городом\" readonly=\"false\">",
    "      <description>Летал над крышами.</description>",
    "      <properties label1=\"true\" label2=\"false\" label3=\"false\" label4=\"false\" />",
    "      <energy level=\"40\" />",
    "      <image path=\"C:\\Сны\\flight.bmp\" />",
    "      <comment>Проснулся в 5 утра.</comment>",
    "    </experience>",
    "  </day>",
    "</velmora>",
}));

TEST(XmlDocuments, LibraryReadsAndWritesBackUnchanged) {
  TXMLParser p;
  ASSERT_EQ(p.LoadFromString(kLibrary), xrOk);
  EXPECT_EQ(p.Root->GetAttribute("name"), Utf8ToCp1251("Мои сны"));
  TXMLNode* file = p.FindNode("file");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Level, 2);
  EXPECT_EQ(file->Kind, nkEmpty);
  EXPECT_EQ(file->GetAttribute("path"), Utf8ToCp1251("C:\\Сны\\dec.xml"));
  EXPECT_EQ(p.FindNode("options")->GetAttribute("confirmdelete"), "yes");
  EXPECT_EQ(p.Root->GetChild(0)->GetAttribute("name"), "Dream Library");
  EXPECT_EQ(p.SaveToString(), kLibrary);
}

TEST(XmlDocuments, JournalReadsAndWritesBackUnchanged) {
  TXMLParser p;
  ASSERT_EQ(p.LoadFromString(kJournal), xrOk);
  EXPECT_EQ(p.Parameters->DocType.Text, "<!DOCTYPE vel_mora SYSTEM \"../vel_mora.dtd\">");
  TXMLNode* experience = p.FindNode("experience");
  ASSERT_NE(experience, nullptr);
  EXPECT_EQ(experience->GetAttribute("title"), Utf8ToCp1251("Полёт над городом"));
  EXPECT_EQ(experience->ChildCount(), 5);
  EXPECT_EQ(experience->FindNode("description")->GetChild(0)->Text, Utf8ToCp1251("Летал над крышами."));
  EXPECT_EQ(experience->FindNode("energy")->GetAttribute("level"), "40");
  EXPECT_EQ(p.SaveToString(), kJournal);
}

TEST(XmlDocuments, EditedJournalWritesTheChange) {
  TXMLParser p;
  ASSERT_EQ(p.LoadFromString(kJournal), xrOk);
  p.FindNode("energy")->SetAttribute("level", "160");
  std::string expected = kJournal;
  expected.replace(expected.find("level=\"40\""), 10, "level=\"160\"");
  EXPECT_EQ(p.SaveToString(), expected);
}

TEST(XmlDocuments, MultiLineDescriptionReadsBackAsOneParagraph) {
  TXMLParser p;
  ASSERT_EQ(p.LoadFromString(kJournal), xrOk);
  TXMLNode* text = p.FindNode("description")->GetChild(0);
  text->Text = "First line.\r\nSecond  line.\r\n\r\nThird.";
  TXMLParser back;
  ASSERT_EQ(back.LoadFromString(p.SaveToString()), xrOk);
  EXPECT_EQ(back.FindNode("description")->GetChild(0)->Text, "First line. Second line. Third.");
}

}  // namespace
