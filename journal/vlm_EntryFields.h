#pragma once
// The fields of an entry as the editors read and write them: the child elements of an experience
// or a day (created when first written), the label flags under their current names, the energy
// level. Plain C++ below the editor panel; all text is Windows-1251 bytes.
#include <string>
#include <string_view>

#include "vlm_Types.h"
#include "xml_types.h"

class TXMLNode;

// The last direct child of `element` named `name`, or nullptr. Only direct children count: a day's
// own comment is never one of its experiences' comments.
TXMLNode* DirectChild(const TXMLNode& element, std::string_view name);
// The same, appended as the last child one level below `element` in the form `kind` when missing.
TXMLNode& ChildOrNew(TXMLNode& element, std::string_view name, TXMLNodeKind kind);

// The text of the first child of the child `name` (a `description` or `comment`), or "" when
// there is none.
std::string ChildText(const TXMLNode& element, std::string_view name);
// Stores `text` as the only text of the child `name`, creating the child or its text as needed.
void SetChildText(TXMLNode& element, std::string_view name, const std::string& text);

// "true" or "false".
std::string_view BoolText(bool flag);

// Flag n (1..4) of an experience's `properties`, read without changing anything: an older
// attribute (luciddream, ...) counts for `label`n; only "true" is on. Without `properties` the
// flag is off.
bool ReadLabelFlag(const TXMLNode& experience, int n);
// All four at once, flag n in bit n-1 (the search index reads them for every dream of a journal).
unsigned ReadLabelFlags(const TXMLNode& experience);
// Stores flag n (1..4) under its current name, creating `properties` when missing; an older
// attribute of the same flag is removed.
void WriteLabelFlag(TXMLNode& experience, int n, bool on);

// The stored energy level of an experience.
struct TEnergyLevel {
  enum TState { Absent, Unset, Valid, Invalid } State = Absent;  // no `energy`; no `level`; ...
  int Level = kEnergyMiddle;  // Valid: clamped to 0..kEnergyMaximum
  std::string Text;  // Invalid: the text found
};
TEnergyLevel ReadEnergyLevel(const TXMLNode& experience);
void WriteEnergyLevel(TXMLNode& experience, int level);

// A comment's lines joined by single blanks, collapsed: no line break is stored.
std::string JoinCommentLines(std::string_view text);
// A description keeps its line breaks as CR LF, collapsed like any stored text.
std::string DescriptionText(std::string_view text);
