#include "vlm_Restore.h"

#include <zlib.h>

#include <cstdio>
#include <utility>
#include <vector>

#include "vlm_Resources.h"
#include "vlm_Types.h"
#include "xml_node.h"

namespace {

// No backup of a journal comes near this; a larger one is not unpacked into memory.
constexpr std::size_t kMaxUnpacked = std::size_t(1) << 30;

// The unpacked bytes of a gzip file; false (and `problem`) when it is not one or is damaged.
bool Gunzip(const std::string& nativePath, std::string& text, std::string& problem) {
  std::FILE* file = std::fopen(nativePath.c_str(), "rb");
  unsigned char magic[2] = {};
  const bool gzip = file && std::fread(magic, 1, 2, file) == 2 && magic[0] == 0x1f && magic[1] == 0x8b;
  if (file) std::fclose(file);
  if (!file) return problem = res::ReasonBackupNotOpened, false;
  if (!gzip) return problem = res::ReasonBackupNotGzip, false;  // gzread would pass plain text through
  gzFile in = gzopen(nativePath.c_str(), "rb");
  if (!in) return problem = res::ReasonBackupNotOpened, false;
  std::vector<char> buffer(1 << 18);
  int got = 0;
  while ((got = gzread(in, buffer.data(), static_cast<unsigned>(buffer.size()))) > 0) {
    text.append(buffer.data(), static_cast<std::size_t>(got));
    if (text.size() > kMaxUnpacked) break;
  }
  int code = Z_OK;
  const char* why = gzerror(in, &code);
  const bool whole = got == 0 && code == Z_OK && text.size() <= kMaxUnpacked;
  const std::string reason = code != Z_OK && why ? why : "";
  gzclose(in);
  if (!whole) return problem = res::Format(res::ReasonBackupDamaged, {reason.empty() ? "?" : reason}), false;
  return true;
}

}  // namespace

TBackupContent ReadBackup(const std::string& nativePath, bool library) {
  TBackupContent content;
  std::string text;
  if (!Gunzip(nativePath, text, content.Problem)) return content;
  auto document = std::make_unique<TXMLParser>();
  if (const TXMLResult status = document->LoadFromString(text); status != xrOk) {
    content.Problem = res::Format(res::ReasonBackupNotWhole, {res::LoadStatusText(status)});
    return content;
  }
  if (!document->Root || document->Root->Name != (library ? tagDreamLibrary : tagJournal)) {
    content.Problem = library ? res::ReasonBackupNotLibrary : res::ReasonBackupNotJournal;
    return content;
  }
  if (!library) CountNights(*document->Root, content.Days, content.Dreams);
  content.Document = std::move(document);
  return content;
}

std::unique_ptr<TXMLNode> CopyTree(const TXMLNode& root) {
  auto copyOne = [](const TXMLNode& from) {
    auto to = std::make_unique<TXMLNode>(from.Name.view(), from.Kind);
    to->Text = from.Text.view();
    to->Level = from.Level;
    to->Attributes.reserve(from.Attributes.size());
    for (const TXMLAttribute& a : from.Attributes) to->Attributes.emplace_back(a.Name.view(), a.Value.view());
    to->Children.reserve(from.Children.size());
    return to;
  };
  std::unique_ptr<TXMLNode> top = copyOne(root);
  // Depth first, without recursion: a file decides how deep a tree goes.
  std::vector<std::pair<const TXMLNode*, TXMLNode*>> pending{{&root, top.get()}};
  while (!pending.empty()) {
    const auto [from, to] = pending.back();
    pending.pop_back();
    for (const auto& child : from->Children) {
      TXMLNode* made = to->AddChild(copyOne(*child));
      pending.emplace_back(child.get(), made);
    }
  }
  return top;
}

void CountNights(const TXMLNode& root, int& days, int& dreams) {
  days = dreams = 0;
  for (const auto& day : root.Children) {
    if (day->Name != tagDay) continue;
    ++days;
    for (const auto& child : day->Children) dreams += child->Name == tagExperience;
  }
}
