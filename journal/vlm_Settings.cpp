#include "vlm_Settings.h"

#include <charconv>
#include <memory>

#include "vlm_Resources.h"
#include "vlm_Types.h"
#include "xml_functions.h"
#include "xml_node.h"

namespace {

bool Undefined(const std::string& value) { return value == litUndefined; }

void ReadForm(const TXMLNode& form, TLibrarySettings& settings) {
  auto read = [&](std::string_view attribute, std::optional<int>& out) {
    const std::string text = form.GetAttribute(attribute);
    if (Undefined(text)) return;
    int value = 0;
    if (ParseDecimal(text, value)) {
      out = value;
    } else {
      settings.Problems.push_back(
          res::Format(res::MsgLibraryValueNotInteger, {Cp1251ToUtf8(text), Cp1251ToUtf8(attribute)}));
    }
  };
  read(attrLeft, settings.Form.Left);
  read(attrTop, settings.Form.Top);
  read(attrWidth, settings.Form.Width);
  read(attrHeight, settings.Form.Height);
  read(attrTreeWidth, settings.Form.TreeWidth);
  settings.Form.Maximized = form.GetAttribute(attrMaximized) == litYes;
  read(attrSearchWidth, settings.Form.SearchWidth);
}

// The root's last direct child of that name, appended as an empty element when there is none.
TXMLNode* LastChildOrNew(TXMLNode& root, std::string_view name) {
  for (int i = root.ChildCount() - 1; i >= 0; --i)
    if (root.GetChild(i)->Name == name) return root.GetChild(i);
  TXMLNode* node = root.AddChild(std::make_unique<TXMLNode>(std::string(name), nkEmpty));
  node->SetLevel(root.Level + 1);
  return node;
}

}  // namespace

bool ParseDecimal(const std::string& text, int& value) {
  const char* first = text.data();
  const char* last = first + text.size();
  if (first != last && *first == '+') ++first;
  if (first == last) return false;
  const auto [end, error] = std::from_chars(first, last, value);
  return error == std::errc() && end == last;
}

int TLibrarySettings::ToolButtonOf(const std::string& iconName) {
  if (iconName == litIconDirectory) return 1;
  if (iconName == litIconFile) return 2;
  if (iconName == litIconNight) return 3;
  if (iconName == litIconDream) return 4;
  return 0;
}

TLibrarySettings ReadLibrarySettings(const TXMLNode& root) {
  TLibrarySettings settings;
  int labels = 0;
  for (const auto& child : root.Children) {
    const std::string& name = child->Name;
    if (name == tagIcon) {
      // An icon without a path adds no picture, but its role may still name a tool button.
      settings.Icons.push_back({child->GetAttribute(attrPath), child->GetAttribute(attrName)});
    } else if (name == tagLabel) {
      if (labels < kLabelCount) {
        settings.LabelCaptions[labels] = child->GetAttribute(attrCaption);
        settings.LabelDefined[labels] = true;
      }
      ++labels;
    } else if (name == tagForm) {
      ReadForm(*child, settings);
    } else if (name == tagOptions) {
      const std::string confirm = child->GetAttribute(attrConfirmDelete);
      if (confirm == litYes) settings.ConfirmDelete = true;
      if (confirm == litNo) settings.ConfirmDelete = false;
      const std::string autosave = child->GetAttribute(attrAutoSave);
      int seconds = 0;
      if (ParseDecimal(autosave, seconds) && seconds >= 0 && seconds <= 86400)
        settings.AutoSaveSeconds = seconds;
      else if (!autosave.empty() && !Undefined(autosave))
        settings.Problems.push_back(res::Format(res::MsgAutoSaveNotValid, {Cp1251ToUtf8(autosave)}));
    }
  }
  return settings;
}

void WriteFormGeometry(TXMLNode& root, int left, int top, int width, int height, int treeWidth, bool maximized) {
  TXMLNode* form = LastChildOrNew(root, tagForm);
  form->SetAttribute(attrLeft, std::to_string(left));
  form->SetAttribute(attrTop, std::to_string(top));
  form->SetAttribute(attrWidth, std::to_string(width));
  form->SetAttribute(attrHeight, std::to_string(height));
  form->SetAttribute(attrTreeWidth, std::to_string(treeWidth));
  if (maximized)
    form->SetAttribute(attrMaximized, litYes);
  else
    form->RemoveAttribute(attrMaximized);
}

void WriteSearchWidth(TXMLNode& root, int width) {
  LastChildOrNew(root, tagForm)->SetAttribute(attrSearchWidth, std::to_string(width));
}

void WriteConfirmDelete(TXMLNode& root, bool confirm) {
  LastChildOrNew(root, tagOptions)->SetAttribute(attrConfirmDelete, confirm ? litYes : litNo);
}
