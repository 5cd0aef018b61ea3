#pragma once
// The words the user wants never counted as themes of the insights, kept in the library file as
// `exclude` elements inside `options`: <options ...><exclude word="..." /></options>. A reader
// that does not know them ignores them. Windows-1251 bytes.
#include <string>
#include <string_view>
#include <vector>

class TXMLNode;

inline constexpr std::string_view tagExclude = "exclude";
inline constexpr std::string_view attrWord = "word";
// The step of the undo history that changes them (UTF-8).
inline constexpr const char* StepThemeExclusions = "слова, которые не считаются темами";

// The words of the last `options` element, in file order, each once; empty words are skipped.
std::vector<std::string> ReadThemeExclusions(const TXMLNode& root);
// Puts exactly `words` into the last `options` element (appended when there is none), leaving its
// attributes and other children alone.
void WriteThemeExclusions(TXMLNode& root, const std::vector<std::string>& words);
