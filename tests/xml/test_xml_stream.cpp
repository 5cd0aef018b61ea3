// The reader takes a document a piece at a time: wherever the pieces end, it must read the same
// tree as from one piece, from memory and from a file.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "vlm_TempFolder.h"
#include "xml_test_util.h"
#include "xml_textStream.h"

namespace {

// Everything a load leaves: status, every node with its fields, and the prologue as written.
std::string Dump(const TXMLParser& p) {
  std::string out = std::to_string(p.Status) + "|" + p.SaveToString() + "|";
  std::vector<const TXMLNode*> stack{p.Root.get()};
  while (!stack.empty()) {
    const TXMLNode* n = stack.back();
    stack.pop_back();
    out += std::to_string(n->Kind) + ":" + std::to_string(n->Level) + ":" + n->Name.str() + ":" + n->Text.str() + "[";
    for (const TXMLAttribute& a : n->Attributes) out += a.Name + "=" + a.Value.str() + ";";
    out += "]";
    for (auto it = n->Children.rbegin(); it != n->Children.rend(); ++it) stack.push_back(it->get());
  }
  return out;
}

// Texts made of the pieces where joining lines and removing comments interact.
std::string RandomText(std::mt19937& random) {
  static const char* kPieces[] = {"<", "!", "-", "--", ">", "-->", "<!--", "<!", "\r\n", "\r", "\n", "  ", " ", "a", "bc",
                                  "\"", "=", "/", "<a>", "</a>", "<b x=\"1\" />", "<?", "?>", "\x1A", "\t"};
  std::string text = random() % 8 ? kDeclaration + "<a>" : "";
  const int count = static_cast<int>(random() % 40);
  for (int i = 0; i < count; ++i) text += kPieces[random() % (random() % 8 ? 23 : 24)];
  return text + (random() % 8 ? "</a>" : "");
}

TEST(XmlStream, PiecesOfAnySizeReadTheSameTreeFromMemoryAndFromAFile) {
  const std::size_t saved = TXMLTextStream::PieceBytes;
  // A file of this run's own: copies of the suite run at the same time must not read each other's.
  const TTempFolder folder("velmora-stream");
  const std::string path = (folder.Path / "text.xml").string();
  // First a text once reported to read differently in small pieces (removing the comment joins
  // "<!" and "--" into a comment without an end), then generated ones.
  const std::string kept[] = {kDeclaration + ">\r\n<!\r\n<!---->--"};
  std::mt19937 random(12345);
  for (int round = 0; round < 4000; ++round) {
    const std::string text = round < std::ssize(kept) ? kept[round] : RandomText(random);
    TXMLTextStream::PieceBytes = 1 << 30;
    TXMLParser whole;
    whole.LoadFromString(text);
    const std::string expected = Dump(whole);
    std::ofstream(path, std::ios::binary) << text;
    for (std::size_t piece : {1, 2, 3, 5, 9}) {
      TXMLTextStream::PieceBytes = piece;
      TXMLParser fromMemory, fromFile;
      fromMemory.LoadFromString(text);
      fromFile.LoadFromFile(path);
      ASSERT_EQ(Dump(fromMemory), expected) << "piece " << piece << ", text: " << text;
      ASSERT_EQ(Dump(fromFile), expected) << "piece " << piece << ", text: " << text;
    }
  }
  TXMLTextStream::PieceBytes = saved;
}

// Reading that fails after the file was opened, or a text too large for the tree's strings,
// leaves the document as it was.
TEST(XmlStream, ATextThatCannotBeReadWholeLeavesTheDocumentAsItWas) {
  TXMLParser p;
  ASSERT_EQ(p.LoadFromString(Doc("<r>kept</r>")), xrOk);
  p.LoadFromFile("/proc/self/mem");  // opens as a regular file; reading its first page fails
  EXPECT_EQ(p.Status, xrCannotOpen);
  ASSERT_EQ(p.Root->ChildCount(), 1);
  EXPECT_EQ(p.Root->GetChild(0)->Text, "kept");
  const std::size_t size = std::size_t(2) << 30;  // reserved, never touched
  void* big = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  ASSERT_NE(big, MAP_FAILED);
  EXPECT_EQ(p.LoadFromString({static_cast<const char*>(big), size}), xrCannotOpen);
  ::munmap(big, size);
  EXPECT_EQ(p.Root->GetChild(0)->Text, "kept");
}

}  // namespace
