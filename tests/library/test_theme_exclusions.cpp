// The words never counted as themes, kept in the library file: written inside `options` beside its
// own settings, read back, undone byte for byte.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "vlm_Library.h"
#include "vlm_Settings.h"
#include "vlm_TempFolder.h"
#include "vlm_ThemeExclusions.h"
#include "xml_functions.h"

TEST(ThemeExclusions, KeptInsideOptionsReadBackAndUndoneByteForByte) {
  TTempFolder folder{"velmora-exclusions"};
  const std::string path = (folder.Path / "dreams.ini").string();
  std::ofstream(path, std::ios::binary)
      << "<?xml version=\"1.0\" encoding=\"UTF-8\" language=\"EN\" standalone=\"yes\"?>\r\n"
         "<dreamlibrary name=\"L\">\r\n  <options confirmdelete=\"no\" />\r\n  <directory name=\"A\" />\r\n</dreamlibrary>\r\n";
  TLibrary library;
  library.Load(path);
  const std::string before = library.Document().SaveToString();
  const std::vector<std::string> words{Utf8ToCp1251("кот"), "dream"};

  library.SetThemeExclusions(words);
  ASSERT_TRUE(library.Save().Failures.empty());
  TLibrary again;
  again.Load(path);
  EXPECT_EQ(ReadThemeExclusions(again.Root()), words);
  const TLibrarySettings settings = ReadLibrarySettings(again.Root());
  EXPECT_FALSE(settings.ConfirmDelete);  // the options' own setting stays
  EXPECT_TRUE(settings.Problems.empty());

  library.UndoStack().undo();
  EXPECT_EQ(library.Document().SaveToString(), before);
  library.UndoStack().redo();
  EXPECT_EQ(ReadThemeExclusions(library.Root()), words);
}
