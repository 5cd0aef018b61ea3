#pragma once
// Reversible, position-dependent character substitution for the stored credentials.
#include <string>
#include <string_view>

class TCodec {
public:
  // Both append one byte per input byte to `result`. Bytes outside the alphabet pass unchanged.
  void Encode(std::string_view text, std::string& result) const;
  void Decode(std::string_view text, std::string& result) const;
  std::string Encode(std::string_view text) const;
  std::string Decode(std::string_view text) const;

  int BasePos(char c) const;   // 1..130, or 0
  char BaseChar(int pos) const;  // byte 0 outside 1..130

  static constexpr int AlphabetSize = 130;
  // The fixed tables (130 Windows-1251 bytes each, NUL-terminated), for checks of their form.
  static const char* BaseAlphabet();
  static const char* SubstitutionAlphabet(int k);  // k = 1..5; nullptr otherwise
};
