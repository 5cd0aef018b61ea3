// The settings of the library file, read into plain values and written back, without a window.
#include <gtest/gtest.h>

#include <string>

#include "vlm_Settings.h"
#include "vlm_Types.h"
#include "xml_mainUnit.h"

namespace {

const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" language=\"EN\" standalone=\"yes\"?>\r\n";

std::unique_ptr<TXMLParser> Library(const std::string& body) {
  auto document = std::make_unique<TXMLParser>();
  EXPECT_EQ(document->LoadFromString(kDeclaration + "<dreamlibrary>\r\n" + body + "</dreamlibrary>\r\n"), xrOk);
  return document;
}

TEST(LibrarySettings, ReadInDocumentOrderWithTheFirstFourLabelsAndTheLastValuesWinning) {
  const auto library = Library(
      "<icon path=\"a.bmp\" name=\"Dream Library\" />\r\n"
      "<label caption=\"one\" />\r\n"
      "<icon name=\"One Night\" />\r\n"
      "<label />\r\n"
      "<options confirmdelete=\"no\" />\r\n"
      "<form left=\"-5\" top=\"+7\" width=\"800\" height=\"x600\" />\r\n"
      "<label caption=\"three\" />\r\n"
      "<directory name=\"d\"><label caption=\"inside a catalog\" /></directory>\r\n"
      "<label caption=\"four\" />\r\n"
      "<label caption=\"five\" />\r\n"
      "<form width=\"900\" treewidth=\"250\" />\r\n"
      "<options confirmdelete=\"maybe\" />\r\n");
  const TLibrarySettings s = ReadLibrarySettings(*library->Root);

  ASSERT_EQ(s.Icons.size(), 2u);
  EXPECT_EQ(s.Icons[0].Path, "a.bmp");
  EXPECT_EQ(s.Icons[1].Path, litUndefined);
  EXPECT_EQ(TLibrarySettings::ToolButtonOf(s.Icons[1].Name), 3);
  EXPECT_EQ(TLibrarySettings::ToolButtonOf(s.Icons[0].Name), 0);

  // The fourth caption is read, the fifth and the one inside a catalog are not.
  const std::string captions[4] = {"one", "undefined", "three", "four"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_TRUE(s.LabelDefined[i]) << i;
    EXPECT_EQ(s.LabelCaptions[i], captions[i]) << i;
  }

  // A value that is no integer is listed and the others of its element still count.
  EXPECT_EQ(s.Form.Left, -5);
  EXPECT_EQ(s.Form.Top, 7);
  EXPECT_EQ(s.Form.Width, 900);
  EXPECT_FALSE(s.Form.Height.has_value());
  EXPECT_EQ(s.Form.TreeWidth, 250);
  ASSERT_EQ(s.Problems.size(), 1u);
  EXPECT_NE(s.Problems[0].find("x600"), std::string::npos);
  EXPECT_NE(s.Problems[0].find("height"), std::string::npos);

  EXPECT_FALSE(s.ConfirmDelete) << "a value other than yes or no leaves the option as it was";
}

TEST(LibrarySettings, AnEmptyLibraryHasNoLabelsAndAsksBeforeDeleting) {
  const TLibrarySettings s = ReadLibrarySettings(*Library("")->Root);
  EXPECT_TRUE(s.Icons.empty());
  EXPECT_FALSE(s.LabelDefined[0]);
  EXPECT_FALSE(s.Form.Width.has_value());
  EXPECT_TRUE(s.ConfirmDelete);
  EXPECT_EQ(s.AutoSaveSeconds, 30);
}

TEST(LibrarySettings, AutoSaveIntervalInSecondsAndABadOneListed) {
  EXPECT_EQ(ReadLibrarySettings(*Library("<options autosave=\"45\" />\r\n")->Root).AutoSaveSeconds, 45);
  EXPECT_EQ(ReadLibrarySettings(*Library("<options autosave=\"0\" />\r\n")->Root).AutoSaveSeconds, 0);
  const TLibrarySettings bad = ReadLibrarySettings(*Library("<options autosave=\"-3\" confirmdelete=\"no\" />\r\n")->Root);
  EXPECT_EQ(bad.AutoSaveSeconds, 30);
  ASSERT_EQ(bad.Problems.size(), 1u);
  EXPECT_NE(bad.Problems[0].find("-3"), std::string::npos);
  EXPECT_FALSE(bad.ConfirmDelete);
}

TEST(LibrarySettings, WrittenIntoTheLastElementOrAppendedAndReadBack) {
  auto library = Library("<form width=\"1\" />\r\n<form height=\"2\" extra=\"kept\" />\r\n<directory name=\"d\" />\r\n");
  TXMLNode& root = *library->Root;
  WriteFormGeometry(root, 10, -20, 700, 500, 230);
  WriteConfirmDelete(root, false);
  EXPECT_EQ(root.GetChild(0)->GetAttribute(attrWidth), "1");
  const TXMLNode* form = root.GetChild(1);
  ASSERT_EQ(form->Attributes.size(), 6u);
  EXPECT_EQ(form->Attributes[0].Name, "height");  // replaced in place, new ones after
  EXPECT_EQ(form->Attributes[1].Name, "extra");
  EXPECT_EQ(form->Attributes[2].Name, "left");
  const TXMLNode* options = root.GetChild(root.ChildCount() - 1);
  EXPECT_EQ(options->Name, tagOptions);
  EXPECT_EQ(options->Kind, nkEmpty);
  EXPECT_EQ(options->Level, root.Level + 1);

  TXMLParser again;
  ASSERT_EQ(again.LoadFromString(library->SaveToString()), xrOk);
  const TLibrarySettings s = ReadLibrarySettings(*again.Root);
  EXPECT_EQ(s.Form.Left, 10);
  EXPECT_EQ(s.Form.Top, -20);
  EXPECT_EQ(s.Form.Width, 700);
  EXPECT_EQ(s.Form.Height, 500);
  EXPECT_EQ(s.Form.TreeWidth, 230);
  EXPECT_FALSE(s.ConfirmDelete);
  WriteConfirmDelete(*again.Root, true);
  EXPECT_TRUE(ReadLibrarySettings(*again.Root).ConfirmDelete);
  EXPECT_EQ(again.Root->ChildCount(), root.ChildCount()) << "the existing options element is reused";
}

}  // namespace
