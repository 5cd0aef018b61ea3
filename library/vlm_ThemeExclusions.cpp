#include "vlm_ThemeExclusions.h"

#include <algorithm>
#include <memory>

#include "vlm_Types.h"
#include "xml_node.h"

namespace {
TXMLNode* LastOptions(const TXMLNode& root) {
  for (int i = root.ChildCount() - 1; i >= 0; --i)
    if (root.GetChild(i)->Name == tagOptions) return root.GetChild(i);
  return nullptr;
}
}  // namespace

std::vector<std::string> ReadThemeExclusions(const TXMLNode& root) {
  std::vector<std::string> words;
  const TXMLNode* options = LastOptions(root);
  if (!options) return words;
  for (const auto& child : options->Children) {
    if (child->Name != tagExclude) continue;
    std::string word = child->GetAttribute(attrWord);
    if (word.empty() || word == litUndefined) continue;  // no word given
    if (std::find(words.begin(), words.end(), word) == words.end()) words.push_back(std::move(word));
  }
  return words;
}

void WriteThemeExclusions(TXMLNode& root, const std::vector<std::string>& words) {
  TXMLNode* options = LastOptions(root);
  if (!options) {
    options = root.AddChild(std::make_unique<TXMLNode>(std::string(tagOptions), nkEmpty));
    options->SetLevel(root.Level + 1);
  }
  for (int i = options->ChildCount() - 1; i >= 0; --i)
    if (options->GetChild(i)->Name == tagExclude) options->DeleteChild(i);
  for (const std::string& word : words) {
    auto exclude = std::make_unique<TXMLNode>(std::string(tagExclude), nkEmpty);
    exclude->SetAttribute(attrWord, word);
    options->AddChild(std::move(exclude))->SetLevel(options->Level + 1);
  }
  // A self-closing element does not write its children.
  if (options->ChildCount()) options->Kind = nkElement;
}
