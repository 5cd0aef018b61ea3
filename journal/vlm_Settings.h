#pragma once
// The settings kept in the library file beside the catalogs: tree and tool pictures, the captions
// of the four labels, the window's geometry and the delete confirmation. Read into plain values in
// one pass over the library root's children, and written back into the document; the window only
// applies them.
#include <optional>
#include <string>
#include <vector>

#include "vlm_Types.h"

class TXMLNode;

// One `icon` element, in document order. Those with a path add a picture to the tree's list, in
// this order; a role name gives the tool button the last picture read so far.
struct TIconSetting {
  std::string Path;  // as written (Windows-1251), or "undefined"
  std::string Name;  // the role name, or "undefined"
};

// The `form` element's values; each one is set only when the file holds a decimal integer.
// The width, height and tree width are those of the window's normal state, also when it was
// closed maximised (`Maximized`).
struct TFormGeometry {
  std::optional<int> Left, Top, Width, Height, TreeWidth;
  bool Maximized = false;
  std::optional<int> SearchWidth;  // the left side's width while the search panel shows
};

struct TLibrarySettings {
  std::vector<TIconSetting> Icons;
  // Captions of the first four `label` elements (Windows-1251); a box without one is undefined.
  std::string LabelCaptions[kLabelCount];
  bool LabelDefined[kLabelCount] = {};
  TFormGeometry Form;  // the last `form` element's values win, attribute by attribute
  bool ConfirmDelete = true;  // only "no" turns the question off
  int AutoSaveSeconds = 30;  // `options` `autosave`: 0 to 86400 seconds, 0 off; else the default
  // Values that could not be used, one message each (UTF-8).
  std::vector<std::string> Problems;

  // The tool button a role name gives its picture to: 1 to 4, or 0 for none.
  static int ToolButtonOf(const std::string& iconName);
};

// Reads the settings from the library root's direct children, in document order.
TLibrarySettings ReadLibrarySettings(const TXMLNode& root);

// Writes the geometry into the root's last `form` child, appended as a self-closing element when
// there is none. Attributes are replaced in place, in the order left, top, width, height, treewidth;
// `maximized="yes"` follows for a maximised window and is removed otherwise.
void WriteFormGeometry(TXMLNode& root, int left, int top, int width, int height, int treeWidth, bool maximized = false);

// Writes the left side's width while the search panel shows into the last `form` child's
// `searchwidth` (the element appended when there is none).
void WriteSearchWidth(TXMLNode& root, int width);

// Writes "yes" or "no" into the `options` element's `confirmdelete`, appending the element when
// there is none.
void WriteConfirmDelete(TXMLNode& root, bool confirm);

// A decimal integer, the whole text; a leading "+" is accepted.
bool ParseDecimal(const std::string& text, int& value);
