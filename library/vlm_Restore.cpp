#include "vlm_Restore.h"

#include <utility>
#include <vector>

#include "vlm_BackupPacking.h"
#include "vlm_Resources.h"
#include "vlm_Types.h"
#include "xml_node.h"
#include "xml_sealing.h"

TBackupContent ReadBackup(const TBackupFile& backup, bool library) {
  TBackupContent content;
  std::string text;
  if (!UnpackBackup(backup.Path, backup.Base, text, content.Problem)) return content;
  auto document = std::make_unique<TXMLParser>();
  document->Plain = library;  // a journal's backup is its sealed file when the library is encrypted
  if (const TXMLResult status = document->LoadFromBytes(text); status != xrOk) {
    const std::string reason = status == xrRefused ? document->Refusal : res::LoadStatusText(status);
    WipeText(text);
    content.Problem = res::Format(res::ReasonBackupNotWhole, {reason});
    return content;
  }
  if (!document->Root || document->Root->Name != (library ? tagDreamLibrary : tagJournal)) {
    content.Problem = library ? res::ReasonBackupNotLibrary : res::ReasonBackupNotJournal;
    return content;
  }
  WipeText(text);
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
