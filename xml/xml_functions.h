#pragma once
// Text helpers of the XML library.
#include <string>
#include <string_view>

// Trims bytes of code 32 or less at both ends and reduces each run of blanks (code 32) to one.
std::string CollapseBlanks(std::string_view s);

// Value of a declaration or attribute token: what follows "=", trailing blank included.
std::string UnquoteValue(std::string_view token);

// Windows-1251 bytes to UTF-8 and back. Characters without a Windows-1251 byte become '?'.
std::string Cp1251ToUtf8(std::string_view s);
std::string Utf8ToCp1251(std::string_view s);

// The file-system path for a path held in a document (Windows-1251 bytes).
std::string NativePath(std::string_view cp1251Path);

// What the writer puts on disk for names, values and text that the dialect cannot carry
// (see the README's section on the file format).
std::string SafeName(std::string_view name);
std::string SafeValue(std::string_view value);
std::string SafeText(std::string_view text);
