#pragma once
// The texts of an encrypted library that the user reads (UTF-8), beside journal/vlm_Resources.h.
// Placeholders are "%1" (QString::arg fills them).

namespace res {

inline constexpr const char* CaptionEncrypt = "Шифровать дневники этим паролем";
inline constexpr const char* MsgPasswordEncrypts =
    "Дневники хранятся на диске зашифрованными этим паролем. Забытый пароль — потерянный дневник: "
    "открыть его сможет только ключ восстановления.";
inline constexpr const char* QuestionEncrypt =
    "Зашифровать все дневники библиотеки этим паролем?\n\n"
    "Забытый пароль — потерянный дневник: без пароля его откроет только ключ восстановления, "
    "который будет показан один раз. Запишите его и храните отдельно.\n\n"
    "Резервные копии дневников, сделанные без шифрования, будут удалены.";
// %1 the recovery key.
inline constexpr const char* MsgRecoveryKey =
    "Дневники зашифрованы.\n\nКлюч восстановления (показывается только сейчас):\n\n%1\n\n"
    "Запишите его и храните отдельно от компьютера: его можно ввести вместо пароля. "
    "Без пароля и без этого ключа дневник не открыть никому.";
inline constexpr const char* QuestionDecrypt =
    "Записать все дневники библиотеки незашифрованными? Их сможет прочитать любой, кто может открыть эти файлы.";
inline constexpr const char* MsgPasswordChanged =
    "Пароль сменён: все дневники зашифрованы новым паролем. Ключ восстановления остался прежним.";
inline constexpr const char* MsgEncryptNeedsPassword = "Чтобы шифровать дневники, нужен пароль.";
// %1 the files not saved.
inline constexpr const char* MsgKeyChangeNotStarted =
    "Шифрование не изменено: сначала нужно сохранить все изменения, а эти файлы записать не удалось:\n%1";
inline constexpr const char* MsgOpenedWithRecoveryKey =
    "Дневник открыт ключом восстановления. Задайте новый пароль кнопкой авторизации.";
// %1 the file chosen.
inline constexpr const char* QuestionPlainExport =
    "Дневники этой библиотеки зашифрованы, а экспорт запишет сны обычным, незашифрованным текстом в файл\n%1\n\n"
    "Записать?";

}  // namespace res
