#pragma once
// Conversions where document bytes (Windows-1251) meet widgets.
#include <QString>
#include <string>
#include <string_view>

// Windows-1251 bytes to a widget's text.
QString FromCp(std::string_view cp1251);
// A widget's text to Windows-1251 bytes; false when a character has no Windows-1251 byte
// (`bad` then lists those characters).
bool ToCp(const QString& text, std::string& cp1251, QString* bad = nullptr);
// A message of unknown origin: UTF-8 when it is valid UTF-8, else Windows-1251.
QString FromAnyText(std::string_view text);
