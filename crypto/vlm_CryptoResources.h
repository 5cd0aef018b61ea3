#pragma once
// The texts of the encryption core that the user reads, in one place, as UTF-8. Russian like the
// program's other texts in journal/vlm_Resources.h. Placeholders are "%1", "%2" (res::Format or
// QString::arg fill them).

namespace crypto_res {

// Why a sealed file, a key record or a secret was refused (SealErrorText).
inline constexpr const char* MsgNotSealed = "Файл не зашифрован.";
inline constexpr const char* MsgNewerFormat =
    "Файл зашифрован более новой версией программы; эта версия не может его прочитать.";
inline constexpr const char* MsgDamagedHeader = "Заголовок зашифрованного файла повреждён; файл не прочитан.";
inline constexpr const char* MsgTruncated = "Зашифрованный файл обрезан: его конец потерян; файл не прочитан.";
inline constexpr const char* MsgDamaged = "Зашифрованный файл повреждён или изменён; файл не прочитан.";
inline constexpr const char* MsgOtherKey = "Файл зашифрован другим паролем.";
inline constexpr const char* MsgWrongPassword = "Неверный пароль.";
inline constexpr const char* MsgWrongRecoveryKey = "Этот ключ восстановления не подходит к дневнику.";
inline constexpr const char* MsgMistypedRecoveryKey =
    "Ключ восстановления введён с ошибкой: проверьте каждый символ.";
inline constexpr const char* MsgBadParameters =
    "Параметры ключа в файле выходят за допустимые пределы; файл не прочитан.";
inline constexpr const char* MsgDamagedKeyRecord = "Данные ключа повреждены или изменены.";
inline constexpr const char* MsgNoMemory = "Недостаточно памяти, чтобы вычислить ключ из пароля.";
inline constexpr const char* MsgFoundPlain =
    "Дневник зашифрованной библиотеки хранится незашифрованным; он не открыт.";
inline constexpr const char* MsgFoundSealed =
    "Дневник зашифрован, а библиотека не шифруется; нужен пароль, которым он зашифрован.";
inline constexpr const char* MsgCannotRead = "Не удалось прочитать зашифрованный файл.";
inline constexpr const char* MsgUnavailable = "Шифрование недоступно: не удалось запустить libsodium.";

// Re-keying (changing the password, turning encryption on or off).
// %1 the journal, %2 the reason.
inline constexpr const char* MsgRekeyJournal = "Дневник \"%1\": %2";
inline constexpr const char* MsgRekeyUnfinished =
    "Предыдущая смена ключа не завершена; её нужно завершить, прежде чем начинать новую.";
// %1 the record's file.
inline constexpr const char* MsgRekeyRecordDamaged =
    "Запись о смене ключа \"%1\" повреждена; дневники не изменены, каждый открывается своим паролем.";
inline constexpr const char* MsgRekeyBadPath = "путь к файлу содержит перевод строки";
inline constexpr const char* MsgRekeyReadBack = "новая копия прочитана не такой, какой записана";
inline constexpr const char* MsgRekeyRolledBack = "Ключ не сменён: все дневники остались прежними.";
inline constexpr const char* MsgRekeyPending =
    "Ключ сменён не во всех дневниках; смена будет завершена при следующем запуске.";

// What failed, followed by ": " and the reason (the XML library's SystemErrorText).
inline constexpr const char* ActionRead = "Не удалось прочитать файл";
inline constexpr const char* ActionRemove = "Не удалось удалить файл";
inline constexpr const char* ActionRename = "Не удалось переименовать файл";

}  // namespace crypto_res
