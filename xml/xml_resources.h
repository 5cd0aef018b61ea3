#pragma once
// The texts of the XML library that the user reads (why a file could not be written), in one
// place, as UTF-8. Russian like the program's other texts in journal/vlm_Resources.h, which this
// library sits below and may not include.

namespace xml_res {

// What failed, followed by ": " and the reason.
inline constexpr const char* ActionOpen = "Не удалось открыть файл";
inline constexpr const char* ActionWrite = "Не удалось записать файл";
inline constexpr const char* ActionCreateTemporary = "Не удалось создать временный файл";
inline constexpr const char* ActionSetPermissions = "Не удалось задать права файла";
inline constexpr const char* ActionFlush = "Не удалось сохранить файл на диск";
inline constexpr const char* ActionClose = "Не удалось закрыть файл";
inline constexpr const char* ActionReplace = "Не удалось заменить файл";

// The reasons for the common errno values (SystemErrorText); the system's text for the others.
inline constexpr const char* ReasonNoSpace = "на диске нет места";
inline constexpr const char* ReasonNoPermission = "нет прав доступа";
inline constexpr const char* ReasonReadOnlyFileSystem = "файловая система доступна только для чтения";
inline constexpr const char* ReasonNotFound = "нет такого файла или папки";
inline constexpr const char* ReasonIsFolder = "это папка, а не файл";
inline constexpr const char* ReasonInputOutput = "ошибка ввода-вывода";
inline constexpr const char* ReasonQuota = "превышена дисковая квота";
inline constexpr const char* ReasonTooLarge = "файл слишком велик";

}  // namespace xml_res
