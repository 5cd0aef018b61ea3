#include "vlm_EntryFields.h"

#include <algorithm>
#include <memory>

#include "vlm_Settings.h"
#include "vlm_Types.h"
#include "xml_functions.h"
#include "xml_node.h"

TXMLNode* DirectChild(const TXMLNode& element, std::string_view name) {
  for (auto it = element.Children.rbegin(); it != element.Children.rend(); ++it)
    if ((*it)->Name == name) return it->get();
  return nullptr;
}

TXMLNode& ChildOrNew(TXMLNode& element, std::string_view name, TXMLNodeKind kind) {
  if (TXMLNode* child = DirectChild(element, name)) return *child;
  if (element.Kind == nkEmpty) element.Kind = nkElement;  // read as <a />: the writer would drop the child
  TXMLNode* child = element.AddChild(std::make_unique<TXMLNode>(std::string(name), kind));
  child->SetLevel(element.Level + 1);
  return *child;
}

std::string ChildText(const TXMLNode& element, std::string_view name) {
  const TXMLNode* child = DirectChild(element, name);
  if (!child || child->Children.empty()) return {};
  return child->Children.front()->Text;
}

void SetChildText(TXMLNode& element, std::string_view name, const std::string& text) {
  TXMLNode& child = ChildOrNew(element, name, nkElement);
  TXMLNode* node = child.GetChild(0);
  if (!node) {
    node = child.AddChild(std::make_unique<TXMLNode>());
    node->SetLevel(child.Level + 1);
  }
  node->Kind = nkText;
  node->Text = text;
}

std::string_view BoolText(bool flag) { return flag ? litTrue : litFalse; }

namespace {
// GetAttribute without a copy: the first attribute of that name, or "undefined".
std::string_view AttributeOrUndefined(const TXMLNode& node, std::string_view name) {
  for (const TXMLAttribute& a : node.Attributes)
    if (a.Name == name) return a.Value.view();
  return litUndefined;
}
}  // namespace

bool ReadLabelFlag(const TXMLNode& experience, int n) {
  return n >= 1 && n <= kLabelCount && ((ReadLabelFlags(experience) >> (n - 1)) & 1u);
}

unsigned ReadLabelFlags(const TXMLNode& experience) {
  const TXMLNode* properties = DirectChild(experience, tagProperties);
  if (!properties) return 0;
  unsigned flags = 0;
  for (int n = 1; n <= kLabelCount; ++n) {
    std::string_view value = AttributeOrUndefined(*properties, attrOlderLabels[n - 1]);
    if (value == litUndefined) value = AttributeOrUndefined(*properties, attrLabels[n - 1]);
    if (value == litTrue) flags |= 1u << (n - 1);
  }
  return flags;
}

void WriteLabelFlag(TXMLNode& experience, int n, bool on) {
  if (n < 1 || n > kLabelCount) return;
  TXMLNode& properties = ChildOrNew(experience, tagProperties, nkEmpty);
  if (properties.GetAttribute(attrOlderLabels[n - 1]) != litUndefined) properties.RemoveAttribute(attrOlderLabels[n - 1]);
  properties.SetAttribute(attrLabels[n - 1], BoolText(on));
}

TEnergyLevel ReadEnergyLevel(const TXMLNode& experience) {
  TEnergyLevel result;
  const TXMLNode* energy = DirectChild(experience, tagEnergy);
  if (!energy) return result;
  const std::string text = energy->GetAttribute(attrLevel);
  if (text == litUndefined) {
    result.State = TEnergyLevel::Unset;
    return result;
  }
  int level = 0;
  if (!ParseDecimal(text, level)) {
    result.State = TEnergyLevel::Invalid;
    result.Text = text;
    return result;
  }
  result.State = TEnergyLevel::Valid;
  result.Level = std::clamp(level, 0, kEnergyMaximum);
  return result;
}

void WriteEnergyLevel(TXMLNode& experience, int level) {
  ChildOrNew(experience, tagEnergy, nkEmpty).SetAttribute(attrLevel, std::to_string(level));
}

std::string JoinCommentLines(std::string_view text) {
  std::string joined;
  joined.reserve(text.size() + 1);
  for (char c : text) joined += (c == '\r' || c == '\n') ? ' ' : c;
  return CollapseBlanks(joined);
}

std::string DescriptionText(std::string_view text) {
  std::string withBreaks;
  withBreaks.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) withBreaks += '\r';
    withBreaks += text[i];
  }
  return CollapseBlanks(withBreaks);
}
