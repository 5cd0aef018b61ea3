#include "vlm_EntrySnapshot.h"

#include <utility>
#include <vector>

#include "vlm_EntryFields.h"

std::unique_ptr<TXMLNode> CloneTree(const TXMLNode& top) {
  auto copyOne = [](const TXMLNode& from) {
    auto to = std::make_unique<TXMLNode>(std::string_view(from.Name), from.Kind);
    to->Text = std::string_view(from.Text);
    to->Level = from.Level;
    to->Attributes = from.Attributes;
    return to;
  };
  std::unique_ptr<TXMLNode> copy = copyOne(top);
  std::vector<std::pair<const TXMLNode*, TXMLNode*>> pending{{&top, copy.get()}};
  while (!pending.empty()) {
    auto [from, to] = pending.back();
    pending.pop_back();
    for (const auto& child : from->Children) pending.emplace_back(child.get(), to->AddChild(copyOne(*child)));
  }
  return copy;
}

TPartSnapshot CapturePart(const TXMLNode& element, std::string_view childName) {
  TPartSnapshot snapshot;
  if (childName.empty()) {
    snapshot.Present = true;
    snapshot.Attributes = element.Attributes;
    return snapshot;
  }
  if (const TXMLNode* child = DirectChild(element, childName)) {
    snapshot.Present = true;
    snapshot.Child = CloneTree(*child);
    snapshot.Index = element.IndexOfChild(child);
  }
  return snapshot;
}

void RestorePart(TXMLNode& element, std::string_view childName, const TPartSnapshot& snapshot) {
  if (childName.empty()) {
    element.Attributes = snapshot.Attributes;
    return;
  }
  if (const TXMLNode* current = DirectChild(element, childName)) element.DeleteChild(element.IndexOfChild(current));
  if (!snapshot.Present) return;
  const int index = std::min(snapshot.Index, element.ChildCount());
  element.Children.insert(element.Children.begin() + index, CloneTree(*snapshot.Child));
}

namespace {
bool SameTree(const TXMLNode& a, const TXMLNode& b) {
  std::vector<std::pair<const TXMLNode*, const TXMLNode*>> pending{{&a, &b}};
  while (!pending.empty()) {
    auto [x, y] = pending.back();
    pending.pop_back();
    if (x->Name != y->Name || x->Text != y->Text || x->Kind != y->Kind || x->ChildCount() != y->ChildCount() ||
        x->Attributes.size() != y->Attributes.size())
      return false;
    for (std::size_t i = 0; i < x->Attributes.size(); ++i)
      if (x->Attributes[i].Name != y->Attributes[i].Name || x->Attributes[i].Value != y->Attributes[i].Value) return false;
    for (int i = 0; i < x->ChildCount(); ++i) pending.emplace_back(x->GetChild(i), y->GetChild(i));
  }
  return true;
}
}  // namespace

bool SamePart(const TPartSnapshot& a, const TPartSnapshot& b) {
  if (a.Present != b.Present || a.Index != b.Index) return false;
  if (!a.Present) return true;
  if (a.Child || b.Child) return a.Child && b.Child && SameTree(*a.Child, *b.Child);
  if (a.Attributes.size() != b.Attributes.size()) return false;
  for (std::size_t i = 0; i < a.Attributes.size(); ++i)
    if (a.Attributes[i].Name != b.Attributes[i].Name || a.Attributes[i].Value != b.Attributes[i].Value) return false;
  return true;
}
