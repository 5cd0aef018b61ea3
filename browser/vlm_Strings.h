#pragma once
// Conversions where document bytes (Windows-1251) meet widgets, and the few texts of the window
// that the program's string table does not hold yet.
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

namespace local_res {
// ---- Texts not (yet) in vlm_Resources: move them there. ----
inline constexpr const char* MsgUnknownError = "Неизвестная ошибка.";
// %1 the characters that have no Windows-1251 byte.
inline constexpr const char* MsgCredentialsNotCp1251 =
    "Имя или пароль содержит символы, которые нельзя сохранить в кодировке Windows-1251: \"%1\". "
    "Параметры авторизации не изменены.";
// The reason listed for the library file when it was not read whole at start-up.
inline constexpr const char* ReasonLibraryNotRead =
    "файл не был прочитан полностью при запуске и не перезаписывается, чтобы не потерять его содержимое";
// Heading of the list of problems met while reading the settings at start-up.
inline constexpr const char* MsgSettingsProblems = "При чтении настроек библиотеки обнаружены ошибки:\n%1";
// ---- end of texts to move ----
}  // namespace local_res
