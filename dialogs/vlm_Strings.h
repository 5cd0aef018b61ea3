#pragma once
// Texts where they meet widgets: the program's texts (UTF-8) and document bytes (Windows-1251).
// In dialogs/, the lowest folder of windows, so that the dialogs and the window share them.
#include <QString>
#include <string>
#include <string_view>

// One of the program's texts (journal/vlm_Resources.h, UTF-8) as a widget's text.
inline QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

// Windows-1251 bytes to a widget's text.
QString FromCp(std::string_view cp1251);
// A widget's text to Windows-1251 bytes; false when a character has no Windows-1251 byte
// (`bad` then lists those characters).
bool ToCp(const QString& text, std::string& cp1251, QString* bad = nullptr);
// `text` without the characters Windows-1251 has no byte for; those go to `left` (each once).
QString WithoutForeignCharacters(const QString& text, QString* left = nullptr);
// A message of unknown origin: UTF-8 when it is valid UTF-8, else Windows-1251.
QString FromAnyText(std::string_view text);
