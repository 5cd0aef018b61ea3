#pragma once
// Helpers shared by the XML tests.
#include <initializer_list>
#include <string>

#include "xml_functions.h"
#include "xml_mainUnit.h"

// Lines joined with CR LF, each line ended by it (as the writer writes them).
inline std::string Lines(std::initializer_list<std::string> lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\r\n";
  return out;
}

inline const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" language=\"EN\" standalone=\"yes\"?>";

// A document with the default declaration followed by `body`.
inline std::string Doc(const std::string& body) { return kDeclaration + "\r\n" + body; }
