#pragma once
// Every text the user sees, in one place, by role (but for the XML library's reasons a save
// failed, which sit below this in xml/xml_resources.h). Stored as UTF-8 so the widgets take them with
// QString::fromUtf8; code that puts one into a document converts it with Utf8ToCp1251 first.
// Placeholders are "%1", "%2", ... in the style of QString::arg (no printf formats), filled by
// QString::arg in the windows or by res::Format in plain C++ code.
#include <initializer_list>
#include <string>
#include <string_view>

namespace res {

// Program and main window.
inline constexpr const char* AppTitle = "Velmora";
inline constexpr const char* ShortDateFormat = "dd.mm.yy";  // the program-wide short date format
inline constexpr const char* MakerWebAddress = "https://velmora.example.org/";

// Tool bar hints.
inline constexpr const char* HintAuthorization = "Ввод параметров авторизации";
inline constexpr const char* HintSave = "Сохранить";
inline constexpr const char* HintAbout = "О программе";
inline constexpr const char* HintExit = "Выход";
inline constexpr const char* HintNewCatalog = "Создать новый каталог";
inline constexpr const char* HintNewFile = "Создать новый файл";
inline constexpr const char* HintNewDay = "Создать новый день";
inline constexpr const char* HintNewExperience = "Создать новое описание сновидения";
inline constexpr const char* HintMoveUp = "Перемещение объекта вверх";
inline constexpr const char* HintMoveDown = "Перемещение объекта вниз";
inline constexpr const char* HintDelete = "Удаление объекта";

// Editor panel.
inline constexpr const char* CaptionNumber = "Номер:";
inline constexpr const char* CaptionName = "Название:";
inline constexpr const char* CaptionDate = "Дата:";
inline constexpr const char* CaptionDescription = "Описание:";
inline constexpr const char* CaptionEnergy = "Энергетика:";
inline constexpr const char* CaptionHighEnergyLevel = "1";
inline constexpr const char* CaptionZeroEnergyLevel = "0";
inline constexpr const char* CaptionLowEnergyLevel = "-1";
inline constexpr const char* CaptionComment = "Комментарий:";
inline constexpr const char* CaptionImage = "Изображение:";
inline constexpr const char* CaptionReadOnly = "Только чтение";
inline constexpr const char* HintLoadImage = "Открыть файл";
inline constexpr const char* HintClearImage = "Очистить изображение";
inline constexpr const char* HintCopyGraph = "Скопировать график в буфер обмена";
inline constexpr const char* HintRefreshGraph = "Обновить график";
// %1 the characters: typed text that the files cannot keep is not taken.
inline constexpr const char* MsgCharactersRefused =
    "Символы \"%1\" нельзя сохранить в кодировке Windows-1251, они не введены.";
// %1 the chosen file: a picture path that the files cannot keep.
inline constexpr const char* MsgPicturePathRefused =
    "Путь \"%1\" содержит символы, которых нет в кодировке Windows-1251; изображение не выбрано.";

// Picture open dialog. The filter is in the "name|pattern|name|pattern" form of the design.
inline constexpr const char* TitleOpenImage = "Открыть изображение";
inline constexpr const char* DefaultExtImage = "bmp";
inline constexpr const char* FilterImage = "Windows BMP (*.bmp)|*.bmp|Все файлы (*.*)|*.*";
// Before the design's filters: every format the program reads pictures in; %1 their patterns.
inline constexpr const char* FilterEveryPicture = "Все изображения (%1)";
// The window that shows a dream's picture at its full size (a double-click on it).
inline constexpr const char* TitleFullPicture = "Изображение";

// Charts.
inline constexpr const char* GraphFontName = "Tahoma";
inline constexpr const char* TitleDreamsPerDay = "Количество сновидений по дням";
inline constexpr const char* TitleDreamQuality = "Качество сновидений";
inline constexpr const char* TitleEnergyLevel = "Энергетический уровень";
inline constexpr const char* FooterTotalDreams = "Всего сновидений: ";  // followed by the count
inline constexpr const char* FooterAverageEnergy = "Средний энергетический уровень сновидений: ";

// Shared dialog buttons.
inline constexpr const char* ButtonOk = "Ok";
inline constexpr const char* ButtonCancel = "Отмена";
inline constexpr const char* ButtonYes = "Да";
inline constexpr const char* ButtonNo = "Нет";
inline constexpr const char* ButtonClose = "Закрыть";

// New element dialog.
inline constexpr const char* TitleNewCatalog = "Добавить каталог";
inline constexpr const char* TitleNewFile = "Добавить файл";
inline constexpr const char* TitleNewDay = "Добавить день";
inline constexpr const char* TitleNewExperience = "Добавить опыт";
inline constexpr const char* CaptionNewName = "Название:";
inline constexpr const char* CaptionNewPath = "Путь:";
inline constexpr const char* CaptionNewDate = "Дата:";
inline constexpr const char* CaptionNewNumber = "Номер";  // no colon, unlike the editor's label
inline constexpr const char* CaptionNewTitle = "Название:";
inline constexpr const char* HintChooseFileName = "Выбрать имя файла";
inline constexpr const char* HintCurrentDate = "Текущая дата";
inline constexpr const char* DefaultExtJournal = "xml";
inline constexpr const char* FilterJournal = "Вельмора (*.xml)|*.xml|Любое расширение (*.*)|*.*";
// %1 the name typed for a new night: digits meant as a date that is none.
inline constexpr const char* MsgNightNotADate =
    "\"%1\" - не дата. Введите дату в виде дд.мм.гг или назовите ночь словами.";
// %1 the date typed for a new night that the journal has already.
inline constexpr const char* MsgNightDateTaken = "Ночь %1 в этом журнале уже есть.";

// Confirmation dialog and the delete question: QuestionDeleteBegin + tree text + QuestionDeleteEnd.
inline constexpr const char* TitleConfirmation = "Подтверждение";
inline constexpr const char* CaptionShowAgain = "Больше не показывать это окно.";
inline constexpr const char* QuestionDeleteBegin = "Вы действительно хотите удалить объект \"";
inline constexpr const char* QuestionDeleteEnd = "\"?";

// Authorization dialog.
inline constexpr const char* TitleLogin = "Авторизация";
inline constexpr const char* TitleAuthorizationParameters = "Параметры авторизации";
inline constexpr const char* CaptionUserName = "Имя:";
inline constexpr const char* CaptionPassword = "Пароль:";
inline constexpr const char* CaptionPasswordRepeat = "Ещё раз:";
inline constexpr const char* MsgPasswordsDiffer = "Пароли не совпадают";
inline constexpr const char* MsgPasswordProtects =
    "Пароль закрывает от других только окно программы. Журналы остаются на диске обычным текстом: "
    "их прочитает любой, кто может открыть эти файлы.";
inline constexpr const char* MsgWrongCredentials = "Неверное имя или пароль";
inline constexpr const char* PasswordChar = "*";

// About box. The product name is AppTitle.
inline constexpr const char* AboutFontTitle = "Book Antiqua";
inline constexpr const char* AboutVersion = "Версия %1";  // the version and build number
inline constexpr const char* AboutIntro =
    "Добро пожаловать в Velmora!\n"
    "------------------------------\n"
    "Velmora - дневник сновидений. Записывайте сны каждой ночи: номер, название, описание, "
    "комментарий, картинку и энергетику сна.\n\n"
    "Журналы хранятся в отдельных файлах и собираются в каталоги библиотеки.\n\n"
    "Для журнала программа рисует число снов по дням и число снов с каждой меткой, для дня - "
    "энергетику каждого сна.";
inline constexpr const char* AboutNotice = "Дневник снов для Linux";
inline constexpr const char* AboutCredit1 = "Программа: команда Velmora";
inline constexpr const char* AboutCredit2 = "Графики: Velmora Graphs";
inline constexpr const char* AboutCredit3 = "Спасибо всем, кто видит сны";

// Messages of the program's own for faults it handles instead of losing data.
inline constexpr const char* TitleError = "Ошибка";
inline constexpr const char* TitleWarning = "Предупреждение";
// %1 the journal file, %2 the reason (LoadStatusText).
inline constexpr const char* MsgJournalPartlyRead =
    "Журнал \"%1\" прочитан не полностью: %2.\n"
    "Показано то, что удалось прочитать. Перед первой записью прежнее содержимое файла будет "
    "сохранено рядом с ним в резервной копии.";
// %1 the journal file, %2 the reason.
inline constexpr const char* MsgJournalUnreadable =
    "Файл журнала \"%1\" не удалось прочитать: %2.\n"
    "Журнал открыт только для просмотра, файл не будет перезаписан.";
// Shown beside a journal that is only viewed; %1 the reason.
inline constexpr const char* MsgJournalReadOnly = "Только просмотр: файл журнала не удалось прочитать (%1).";
// Shown beside the library when dreams.ini could not be read; %1 the reason.
inline constexpr const char* MsgLibraryReadOnly = "Только просмотр: файл библиотеки не удалось прочитать (%1).";
// %1 the journal file: a missing journal starts empty and is created by the next save.
inline constexpr const char* MsgJournalMissing =
    "Файл журнала \"%1\" не найден. Журнал открыт пустым; файл будет создан, только когда в журнал "
    "будет что-нибудь добавлено. Если файл появится (например, вернётся его папка), он будет прочитан, "
    "а ничего не записано поверх него.";
// %1 the library's folder.
inline constexpr const char* MsgLibraryAlreadyOpen =
    "Дневник уже открыт в другой копии программы Velmora (папка библиотеки \"%1\").\n"
    "Перейдите в её окно. Эта копия закрывается, ничего не записав.";
// %1 the lock file, %2 what stood in its place (one of the LockWas texts).
inline constexpr const char* MsgLockTakenOver =
    "На месте файла блокировки \"%1\" было: %2. Это не блокировка работающей копии программы, "
    "поэтому её место занято новой блокировкой.";
inline constexpr const char* LockWasEmpty = "пустой файл (так бывает после сбоя питания); он удалён";
inline constexpr const char* LockWasGarbage = "файл с непонятным содержимым; он удалён";
inline constexpr const char* LockWasUnreadable = "файл, который не удалось прочитать; он удалён";
inline constexpr const char* LockWasLink =
    "символьная ссылка; удалена только ссылка, файл, на который она указывала, не тронут";
inline constexpr const char* LockWasEmptyFolder = "пустая папка; она удалена";
// %1 where the folder now is.
inline constexpr const char* LockWasFolder = "папка; она перенесена вместе с содержимым в \"%1\"";
inline constexpr const char* LockWasOther = "не обычный файл (канал, сокет или устройство); он удалён";
// %1 the lock file in the library's folder, %2 the one in the temporary folder.
inline constexpr const char* ReasonNoLock =
    "файл блокировки не удалось создать ни в папке библиотеки (\"%1\"), ни во временной папке (\"%2\")";
// %1 the library's folder, %2 ReasonNoLock.
inline constexpr const char* MsgLibraryNotLocked =
    "Библиотеку в папке \"%1\" не удалось заблокировать: %2.\n"
    "Без блокировки нельзя узнать, не открыт ли дневник в другой копии программы, поэтому он открыт "
    "только для просмотра: ничего не будет записано.";
// Shown beside every item while the library could not be locked.
inline constexpr const char* MsgViewOnlyWithoutLock =
    "Только просмотр: библиотеку не удалось заблокировать, изменения не сохраняются.";
// %1 the program's folder.
inline constexpr const char* MsgAppDirNotCp1251 =
    "Путь к папке программы \"%1\" содержит символы, которых нет в кодировке Windows-1251. "
    "Библиотеку в этой папке нельзя ни прочитать, ни сохранить: переместите программу в другую папку.";
// %1 the program's folder, %2 the library used (a copy of that folder's), %3 when it was copied.
inline constexpr const char* MsgLibraryCopyUsed =
    "Папку программы \"%1\" нельзя записать, поэтому библиотека из неё не открыта: используется её "
    "копия \"%2\", сделанная %3. Изменения сохраняются в копию, а библиотека в \"%1\" остаётся такой, "
    "какой была.";
// %1 the program's folder, %2 the library used.
inline constexpr const char* MsgLibraryBesideNotUsed =
    "Папку программы \"%1\" нельзя записать, поэтому библиотека из неё не открыта: используется "
    "библиотека \"%2\", и изменения сохраняются в неё.";
// %1 the library used, %2 its copy, %3 when the copy was made.
inline constexpr const char* MsgLibraryHasOtherCopy =
    "Открыта библиотека \"%1\". У неё есть копия \"%2\", сделанная %3, когда папку программы нельзя "
    "было записать; изменения, сохранённые в копии, здесь не видны. Перенесите нужное из копии и удалите "
    "её, чтобы это сообщение больше не появлялось.";
// %1 the library file, %2 the reason.
inline constexpr const char* MsgLibraryFolderNotPrepared =
    "Не удалось подготовить папку библиотеки \"%1\": %2.\n"
    "Программа начнёт с пустой библиотеки и попробует сохранить её в эту папку при выходе.";
// %1 the library file, %2 the reason.
inline constexpr const char* MsgLibraryPartlyRead =
    "Файл библиотеки \"%1\" прочитан не полностью: %2.\n"
    "Показано то, что удалось прочитать. Перед первой записью прежнее содержимое файла будет "
    "сохранено рядом с ним в резервной копии.";
// %1 the library file, %2 the reason.
inline constexpr const char* MsgLibraryUnreadable =
    "Файл библиотеки \"%1\" не удалось прочитать: %2.\n"
    "Библиотека не будет сохранена, чтобы не потерять содержимое файла.";
// %1 the file, %2 the reason: a new journal file could not be created.
inline constexpr const char* MsgJournalNotCreated = "Не удалось создать файл журнала \"%1\": %2.";
// %1 the path as typed or chosen.
inline constexpr const char* MsgPathNotCp1251 =
    "Путь \"%1\" содержит символы, которых нет в кодировке Windows-1251. Журнал по этому пути создать нельзя.";
inline constexpr const char* MsgTreeOutOfStep =
    "Дерево каталогов не совпадает с файлом библиотеки или журнала; действие не выполнено.";
// %1 the file: a journal path typed by hand names a file that is there already.
inline constexpr const char* MsgReplaceFile = "Файл \"%1\" уже существует.\nЗаменить его новым пустым журналом?";
// %1 the file: a new journal would replace the file of a journal open in this run.
inline constexpr const char* MsgJournalAlreadyOpen =
    "Журнал \"%1\" уже открыт в программе; его файл не будет заменён новым журналом. Выберите другое имя файла.";
// One line of a failure list: %1 the file, %2 the error.
inline constexpr const char* MsgSaveFailureItem = "\"%1\": %2";
// %1 the failure list, one line per file.
inline constexpr const char* MsgSaveFailed = "Не удалось сохранить файлы:\n%1";
// On the notice line after the save button: %1 the time of day, %2 the files written.
inline constexpr const char* MsgSaved = "%1 сохранено: %2.";
inline constexpr const char* MsgNothingToSave = "%1 всё уже сохранено, записывать нечего.";
inline constexpr const char* MsgSaveFailedAtExit =
    "При выходе не удалось сохранить файлы:\n%1\n"
    "Вернуться в программу, чтобы сохранить их в другом месте или повторить попытку?";
// The program closes for a signal (nobody is asked); %1 the failure list.
inline constexpr const char* MsgSaveFailedForSignal = "При закрытии по сигналу не удалось сохранить файлы:\n%1";
// %1 the folder that holds the copies.
inline constexpr const char* MsgUnsavedKept =
    "Их несохранённое содержимое записано в папку \"%1\" (в originals.txt сказано, какому файлу "
    "принадлежит каждая копия).";
inline constexpr const char* MsgUnsavedNotKept = "Записать их несохранённое содержимое в другое место тоже не удалось.";
inline constexpr const char* ButtonReturnToProgram = "Вернуться в программу";
inline constexpr const char* ButtonExitWithoutSaving = "Выйти без сохранения";
// %1 the picture file.
inline constexpr const char* MsgPictureNotLoaded = "Не удалось загрузить изображение \"%1\".";
// %1 the text, %2 the attribute that holds it.
inline constexpr const char* MsgLibraryValueNotInteger =
    "Значение \"%1\" параметра \"%2\" в файле библиотеки не является целым числом; оно не используется.";
// %1 the text found in a journal's energy level.
inline constexpr const char* MsgEnergyNotInteger = "Энергетический уровень \"%1\" не является целым числом.";

inline constexpr const char* MsgUnknownError = "Неизвестная ошибка.";
// %1 the characters that have no Windows-1251 byte.
inline constexpr const char* MsgCredentialsNotCp1251 =
    "Имя или пароль содержит символы, которые нельзя сохранить в кодировке Windows-1251: \"%1\". "
    "Параметры авторизации не изменены.";
// Files another program changed while they are open; %1 the file.
inline constexpr const char* MsgFileReadAgain = "Файл \"%1\" изменён другой программой и прочитан заново.";
// %1 the file, %2 why it was not read whole.
inline constexpr const char* MsgFileNotReadAgain =
    "Файл \"%1\" изменён другой программой, но не прочитан целиком (%2); открыта прежняя версия. "
    "При сохранении их версия будет сохранена рядом.";
// %1 the file, %2 the copy of the other program's version.
inline constexpr const char* MsgFileConflict =
    "Файл \"%1\" изменён другой программой, пока здесь были несохранённые изменения. "
    "Ваша версия сохранена в \"%1\", версия другой программы — в \"%2\".";
inline constexpr const char* MsgLibraryReadAgain =
    "Файл библиотеки \"%1\" изменён другой программой и прочитан заново; история отмены очищена.";
inline constexpr const char* MsgFileRemovedAsk =
    "Файл \"%1\" удалён или перемещён другой программой. Записать открытую версию снова под этим именем?";
inline constexpr const char* MsgFileWrittenAgain = "Файл \"%1\" записан снова.";
inline constexpr const char* MsgFileNotWrittenAgain =
    "Файл \"%1\" удалён или перемещён другой программой; открытая версия больше не записывается.";
inline constexpr const char* ReasonRemovedByOthers = "файл удалён или перемещён другой программой";
// %1 the removed file, %2 where the open version with its unsaved changes was written.
inline constexpr const char* MsgOpenVersionKept =
    "Файл \"%1\" удалён или перемещён другой программой; под этим именем открытая версия больше не "
    "записывается. Её несохранённые изменения сохранены в \"%2\".";
// %1 the removed file, %2 why the open version could not be written anywhere.
inline constexpr const char* MsgOpenVersionNotKept =
    "Файл \"%1\" удалён или перемещён другой программой, а открытую версию с несохранёнными изменениями "
    "не удалось сохранить ни рядом с ним, ни в папке библиотеки (%2). Она остаётся открытой; скопируйте "
    "текст, пока программа не закрыта.";
// %1 the file, %2 the copy of the file found there: a journal opened empty because its file was
// missing, with something put into it, was saved after the file had appeared.
inline constexpr const char* MsgFileAppeared =
    "Файл \"%1\" появился на диске, пока журнал был открыт пустым. Ваша версия сохранена в \"%1\", "
    "появившийся файл — в \"%2\".";
// %1 the list of backups, one line each (MsgBackupItem).
inline constexpr const char* MsgBackupsMade =
    "Файлы, прочитанные не полностью, записаны заново. Их прежнее содержимое сохранено:\n%1";
// %1 the file, %2 its backup.
inline constexpr const char* MsgBackupItem = "\"%1\" -> \"%2\"";
// %1 the system's reason.
inline constexpr const char* ReasonBackupFailed =
    "не удалось сохранить резервную копию прочитанного не полностью файла (%1); файл не записан";
inline constexpr const char* ReasonOpenVersionNotKept = "не удалось сохранить открытую версию рядом с файлом (%1)";
inline constexpr const char* ReasonConflictCopyFailed =
    "не удалось сохранить копию файла, изменённого другой программой (%1); файл не записан";
inline constexpr const char* ReasonPartNotWritable =
    "прочитанную часть файла не удаётся записать так, чтобы она читалась; файл не записан";
inline constexpr const char* ReasonDanglingLink = "ссылка указывает на несуществующий файл";
inline constexpr const char* ReasonIsFolder = "это папка, а не файл";
// Heading of the list of problems met while reading the settings at start-up; %1 the list.
inline constexpr const char* MsgSettingsProblems = "При чтении настроек библиотеки обнаружены ошибки:\n%1";

// Saving by itself and dated backups. %1 the file (UTF-8), %2 the system's reason.
inline constexpr const char* MsgDatedBackupFailed =
    "Резервная копия файла \"%1\" не сделана: %2. Сам файл сохраняется как обычно.";
// %1 the list of files that could not be written.
inline constexpr const char* MsgAutoSaveFailed =
    "Автоматическое сохранение не удалось:\n%1\nПрограмма попробует снова; это сообщение больше не "
    "появится, пока сохранение не удастся.";
// %1 the files with the time each was last written, one a line.
inline constexpr const char* MsgLastRunCrashed =
    "Программа в прошлый раз завершилась, не закрывшись (сбой, выключение или принудительное "
    "завершение). На диске сохранено то, что было записано к этому времени:\n%1";
// %1 the file, %2 the time it was last written.
inline constexpr const char* MsgFileSavedAt = "\"%1\": %2";
inline constexpr const char* MsgFileNotOnDisk = "\"%1\": файла нет на диске";
// %1 the setting's text.
inline constexpr const char* MsgAutoSaveNotValid =
    "Значение \"%1\" параметра \"autosave\" не является числом секунд от 0 до 86400; используется 30.";

// Reasons for a document that could not be read, by load status (the codes of xml_types.h).
inline constexpr const char* StatusCannotOpen = "файл не удалось открыть";
inline constexpr const char* StatusNoFileName = "не указано имя файла";
inline constexpr const char* StatusNoDeclaration = "файл не начинается с объявления XML";
inline constexpr const char* StatusRepeatedOrTrailing = "повторный параметр объявления или текст после корневого элемента";
inline constexpr const char* StatusBadTag = "неверный тег";
inline constexpr const char* StatusTruncated = "файл обрывается внутри элемента";
inline constexpr const char* StatusMalformedAttribute = "неверный атрибут";
inline constexpr const char* StatusNoRoot = "нет корневого элемента";
inline constexpr const char* StatusTooDeep = "слишком глубокая вложенность элементов";
inline constexpr const char* StatusRefused = "файл зашифрован не так, как библиотека, или повреждён";
inline constexpr const char* StatusUnknown = "ошибка чтения (код %1)";

// The library's editor: the question before deleting, switched off in its window, comes back here.
inline constexpr const char* CaptionConfirmDelete = "Спрашивать перед удалением";
// Steps of the undo history, as the undo and redo buttons name them.
inline constexpr const char* StepName = "изменение названия";
inline constexpr const char* StepNumber = "изменение номера";
inline constexpr const char* StepTitle = "изменение заголовка";
inline constexpr const char* StepDescription = "изменение описания";
inline constexpr const char* StepComment = "изменение комментария";
inline constexpr const char* StepLabel = "изменение метки";
inline constexpr const char* StepEnergy = "изменение энергетики";
inline constexpr const char* StepPicture = "изменение изображения";
inline constexpr const char* StepReadOnly = "изменение \"Только чтение\"";
inline constexpr const char* StepAddCatalog = "добавление каталога";
inline constexpr const char* StepAddJournal = "добавление журнала";
inline constexpr const char* StepAddDay = "добавление дня";
inline constexpr const char* StepAddExperience = "добавление опыта";
inline constexpr const char* StepMove = "перемещение";
inline constexpr const char* StepRemove = "удаление";
// %1 the step: the tool tips of the undo and redo buttons.
inline constexpr const char* HintUndo = "Отменить: %1 (Ctrl+Z)";
inline constexpr const char* HintRedo = "Повторить: %1 (Ctrl+Shift+Z)";
inline constexpr const char* HintUndoNothing = "Отменить (Ctrl+Z)";
inline constexpr const char* HintRedoNothing = "Повторить (Ctrl+Shift+Z)";

// The search panel.
inline constexpr const char* SearchPlaceholder = "Поиск снов (Ctrl+F)";
inline constexpr const char* HintSearchFilters = "Фильтры поиска";
inline constexpr const char* SearchWholeLibrary = "Вся библиотека";
inline constexpr const char* SearchLabelEither = "%1: все";
inline constexpr const char* SearchLabelYes = "%1: да";
inline constexpr const char* SearchLabelNo = "%1: нет";
inline constexpr const char* SearchEnergy = "Энергетика:";
inline constexpr const char* SearchEnergyTo = "до";
inline constexpr const char* SearchDateFrom = "с";
inline constexpr const char* SearchDateTo = "по";
inline constexpr const char* SearchFound = "Найдено: %1";
inline constexpr const char* SearchLoading = "Загрузка журналов: %1 из %2";
inline constexpr const char* SearchStopLoading = "Остановить загрузку журналов (Esc очищает поиск)";
// %1 dreams found, %2 journals searched, %3 journals of the library.
inline constexpr const char* SearchFoundPart = "Найдено: %1 (загрузка остановлена: просмотрено журналов %2 из %3)";
inline constexpr const char* SearchLabelDefault = "Метка %1";

// The calendar below the tree, and picking a new day's date from one.
inline constexpr const char* HintCalendar = "Календарь";
inline constexpr const char* CalendarUndated = "Ночи без даты";
inline constexpr const char* HintPickDate = "Выбрать дату в календаре";

// Exporting and printing (the exported files speak the user's language too).
inline constexpr const char* HintExport = "Экспорт в HTML, Markdown, текст или PDF";
inline constexpr const char* HintPrint = "Печать";
inline constexpr const char* ExportDialogTitle = "Экспорт";
inline constexpr const char* ExportFilterHtml = "Веб-страница (*.html)";
inline constexpr const char* ExportFilterMarkdown = "Markdown (*.md)";
inline constexpr const char* ExportFilterText = "Текст (*.txt)";
inline constexpr const char* ExportFilterPdf = "PDF (*.pdf)";
inline constexpr const char* ExportProgress = "Экспорт сновидений...";
inline constexpr const char* PrintProgress = "Подготовка к печати...";
inline constexpr const char* ExportCancel = "Отмена";
inline constexpr const char* ExportNothing = "Выберите сновидение, ночь, журнал, каталог или библиотеку для экспорта.";
inline constexpr const char* ExportSearchResults = "Результаты поиска";
inline constexpr const char* ExportDatesFrom = "Только ночи с";
inline constexpr const char* ExportDatesTo = "по";
inline constexpr const char* ExportNoNightsInRange = "С %1 по %2 нет ни одной ночи: экспортировать нечего.";
inline constexpr const char* ExportNight = "Ночь %1";
inline constexpr const char* ExportNightComment = "Комментарий к ночи:";
inline constexpr const char* ExportLabels = "Метки:";
inline constexpr const char* ExportPage = "— %1 —";
inline constexpr const char* ExportChartsAlt = "Графики журнала";
inline constexpr const char* ExportEnergyVeryHigh = "очень высокая";
inline constexpr const char* ExportEnergyHigh = "высокая";
inline constexpr const char* ExportEnergyNeutral = "нейтральная";
inline constexpr const char* ExportEnergyLow = "низкая";
inline constexpr const char* ExportEnergyVeryLow = "очень низкая";
inline constexpr const char* ExportEnergyUnknown = "неизвестна";
// %1 the file, %2 the reason.
inline constexpr const char* ExportCannotWrite = "Не удалось записать файл \"%1\": %2";
inline constexpr const char* ExportCannotReadJournal = "Не удалось прочитать журнал \"%1\": %2";
inline constexpr const char* ExportFolderNotReplaced = "папку с картинками не удалось заменить";
inline constexpr const char* ExportPdfFailed = "не удалось создать PDF";
// %1 the dream (number and title), %2 how many characters did not fit.
inline constexpr const char* ExportTextNotPlaced = "текст сновидения \"%1\" не удалось разместить на страницах (%2 знаков)";
inline constexpr const char* ExportReading = "Чтение журналов для экспорта...";
inline constexpr const char* ExportFinishing = "Запись файла...";
// On the notice line: %1 the time of day, %2 the file.
inline constexpr const char* MsgExported = "%1 экспорт записан в файл \"%2\".";
inline constexpr const char* MsgExportCancelled = "%1 экспорт отменён, файл не записан.";
inline constexpr const char* MsgPrintCut = "Подготовка к печати прервана: показаны не все страницы.";
// The command line.
inline constexpr const char* CliUsage =
    "Без параметров открывается окно программы. Экспорт без окна:\n"
    "  velmora --export ЖУРНАЛ --format html|md|txt|pdf --output ФАЙЛ [--from ДАТА] [--to ДАТА]\n"
    "  velmora --library --output ФАЙЛ [--format ...] [--from ДАТА] [--to ДАТА]\n"
    "Сводка снов (темы, частота, серии ночей) для других программ:\n"
    "  velmora --insights ПУТЬ --format csv|json --output ПАПКА|ФАЙЛ [--from ДАТА] [--to ДАТА]";
inline constexpr const char* CliOptions = "Параметры:";
inline constexpr const char* CliValueJournal = "ЖУРНАЛ";
inline constexpr const char* CliValueFile = "ФАЙЛ";
inline constexpr const char* CliValueDate = "ДАТА";
inline constexpr const char* CliHelpHelp = "Показать эту справку.";
inline constexpr const char* CliUnknownOption = "Неизвестный параметр: %1 (velmora --help перечисляет параметры).";
inline constexpr const char* CliBadArguments = "Неверная командная строка: у параметра нет значения (velmora --help перечисляет параметры).";
inline constexpr const char* CliExportHelp = "Экспорт журнала из файла ЖУРНАЛ (или всей библиотеки, --library) в ФАЙЛ.";
inline constexpr const char* CliFormatHelp = "Формат: html, md, txt или pdf (по умолчанию по расширению ФАЙЛА); для --insights csv или json.";
inline constexpr const char* CliOutputHelp = "Файл, в который записывается экспорт (для сводки в CSV - папка).";
inline constexpr const char* CliLibraryHelp = "Экспортировать всю библиотеку.";
inline constexpr const char* CliFromHelp = "Только ночи с этой даты (дд.мм.гггг, дд.мм.гг или гггг-мм-дд).";
inline constexpr const char* CliToHelp = "Только ночи по эту дату (дд.мм.гггг, дд.мм.гг или гггг-мм-дд).";
inline constexpr const char* CliNoOutput = "Не указан файл для записи (--output).";
inline constexpr const char* CliNoSource = "Укажите журнал (--export ЖУРНАЛ), --library или --insights ПУТЬ.";
inline constexpr const char* CliBadFormat = "Неизвестный формат \"%1\": допустимы html, md, txt, pdf.";
inline constexpr const char* CliBadDate = "Неверная дата \"%1\": ожидается дд.мм.гггг, дд.мм.гг или гггг-мм-дд.";
inline constexpr const char* CliNoFile = "Файл не найден: %1";
inline constexpr const char* CliSameFile = "Файл экспорта не может совпадать с файлом журнала или библиотеки: %1";
inline constexpr const char* CliDone = "Экспортировано сновидений: %1 в %2";
inline constexpr const char* CliValuePath = "ПУТЬ";
inline constexpr const char* CliInsightsHelp =
    "Сводка снов журнала ПУТЬ (или всех журналов библиотеки, если ПУТЬ - файл библиотеки dreams.ini): "
    "--format csv - таблицы CSV в папку --output, --format json - один файл JSON.";
inline constexpr const char* CliInsightsBadFormat = "Неизвестный формат сводки \"%1\": допустимы csv или json.";
inline constexpr const char* CliInsightsNotFolder = "Для CSV укажите папку, а не файл: %1";
inline constexpr const char* CliInsightsNotWritten = "Не удалось записать %1: %2";
inline constexpr const char* CliInsightsDone = "Сводка записана в %2 (снов: %1)";

// Bringing back a dated backup of a journal or of the library file.
inline constexpr const char* HintRestore = "Восстановить из резервной копии";
inline constexpr const char* StepRestore = "восстановление из резервной копии";
// %1 the file.
inline constexpr const char* RestoreTitle = "Резервные копии файла \"%1\"";
inline constexpr const char* RestoreColumnTime = "Дата и время";
inline constexpr const char* RestoreColumnDays = "Дней";
inline constexpr const char* RestoreColumnDreams = "Снов";
inline constexpr const char* RestoreColumnSize = "Размер";
inline constexpr const char* RestoreCounting = "…";
inline constexpr const char* RestoreDamaged = "повреждена";
inline constexpr const char* RestoreButton = "Восстановить";
inline constexpr const char* RestoreCancel = "Отмена";
inline constexpr const char* RestorePreviewHint = "Содержимое выбранной копии (только просмотр):";
// %1 the size in kilobytes.
inline constexpr const char* RestoreSizeKb = "%1 КБ";
// %1 the file.
inline constexpr const char* MsgNoBackups = "Резервных копий файла \"%1\" пока нет.";
inline constexpr const char* MsgRestoreNeedsWritable =
    "Восстановление невозможно: файлы библиотеки сейчас только просматриваются.";
inline constexpr const char* MsgRestoreSelectJournal =
    "Выберите журнал (или корень библиотеки), чтобы восстановить его из резервной копии.";
// %1 the backup, %2 why it cannot be used. The journal is not changed.
inline constexpr const char* MsgRestoreRefused =
    "Резервную копию \"%1\" нельзя восстановить: %2. Журнал не изменён.";
// %1 the file, %2 the backup's date and time.
inline constexpr const char* MsgRestored =
    "Файл \"%1\" восстановлен из копии от %2; прежняя версия сохранена в копиях (отменить: Ctrl+Z).";
inline constexpr const char* RestoreWaitingBackups = "Подготовка резервных копий...";
inline constexpr const char* RestoreReading = "Чтение резервной копии...";
inline constexpr const char* RestoreWriting = "Восстановление и сохранение...";
inline constexpr const char* RestorePreviewReading = "Чтение копии...";
// On the notice line: %1 the time of day.
inline constexpr const char* MsgRestoreCancelled = "%1 восстановление отменено, ничего не изменено.";
inline constexpr const char* MsgRestoreKeepFailed =
    "Не удалось сохранить текущую версию файла \"%1\" в резервных копиях; восстановление отменено.";
inline constexpr const char* ReasonBackupNotOpened = "файл не открывается";
inline constexpr const char* ReasonBackupNotPacked = "это не архив zstd или gzip (или не обычный файл)";
// %1 the whole version a difference was taken from, %2 why it cannot be used.
inline constexpr const char* ReasonBackupBaseUnusable =
    "копия хранится как разница с копией \"%1\", а её не удаётся прочитать (%2)";
// %1 the unpacker's reason.
inline constexpr const char* ReasonBackupDamaged = "архив повреждён (%1)";
// %1 the reader's reason.
inline constexpr const char* ReasonBackupNotWhole = "копия прочитана не полностью (%1)";
inline constexpr const char* ReasonBackupNotJournal = "в копии нет журнала";
inline constexpr const char* ReasonBackupNotLibrary = "в копии нет библиотеки";
inline constexpr const char* ReasonNotLibrary = "в файле нет библиотеки";

// The reason text for a load status; "" for 0 (success).
std::string LoadStatusText(int status);

// Replaces %1 .. %9 in `pattern` by the arguments in one pass (an argument's own "%n" stays as
// it is); a placeholder without an argument is kept. "%%" is not special.
std::string Format(std::string_view pattern, std::initializer_list<std::string_view> args);

// Spell checking: the editors' context menu.
inline constexpr const char* CaptionAddToDictionary = "Добавить в словарь";
inline constexpr const char* CaptionNoSuggestions = "Нет вариантов";
inline constexpr const char* MsgWordNotKept = "Слово \"%1\" не записано в личный словарь \"%2\": %3";

}  // namespace res
