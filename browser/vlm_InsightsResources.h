#pragma once
// The texts of the insights view, in the manner of journal/vlm_Resources.h: UTF-8, taken by the
// widgets with Text() (dialogs/vlm_Strings.h), placeholders "%1", "%2", ... for QString::arg.
namespace res {

inline constexpr const char* TitleInsights = "Обзор сновидений";
inline constexpr const char* HintInsights = "Обзор сновидений: по времени, темы, запоминание (Ctrl+I)";
// %1 the scope the window gives (the library, a catalog, a journal), %2 how many journals.
inline constexpr const char* InsightsScopeJournals = "%1 (журналов: %2)";
// %1 the journal's name: it could not be read and is left out.
inline constexpr const char* InsightsJournalUnread = "Журнал \"%1\" не прочитан и не учтён.";
inline constexpr const char* InsightsNoDreams = "В выбранном сроке нет сновидений с датой.";

// The range.
inline constexpr const char* InsightsRange = "Срок:";
inline constexpr const char* InsightsLastMonth = "Последний месяц";
inline constexpr const char* InsightsLastYear = "Последний год";
inline constexpr const char* InsightsAllTime = "Всё время";
inline constexpr const char* InsightsOwnDates = "Свои даты";
inline constexpr const char* InsightsFrom = "с";
inline constexpr const char* InsightsTo = "по";
inline constexpr const char* InsightsDateFormat = "dd.MM.yyyy";

// The period of the charts.
inline constexpr const char* InsightsPeriod = "Период:";
// %1 the period chosen for the chart's width ("по годам").
inline constexpr const char* InsightsPeriodAuto = "по ширине: %1";
inline constexpr const char* InsightsByWeeks = "по неделям";
inline constexpr const char* InsightsByMonths = "по месяцам";
inline constexpr const char* InsightsByQuarters = "по кварталам";
inline constexpr const char* InsightsByYears = "по годам";
// One period, in the hover text and the axis: %1 a date, a month's name, a quarter's number, a year.
inline constexpr const char* InsightsWeekOf = "неделя с %1";
inline constexpr const char* InsightsQuarterOf = "%1 квартал %2";
inline constexpr const char* InsightsYearOf = "%1 год";
inline constexpr const char* MonthNames[12] = {"январь", "февраль", "март", "апрель", "май", "июнь",
                                               "июль", "август", "сентябрь", "октябрь", "ноябрь", "декабрь"};
inline constexpr const char* MonthShortNames[12] = {"янв", "фев", "мар", "апр", "май", "июн",
                                                    "июл", "авг", "сен", "окт", "ноя", "дек"};
inline constexpr const char* WeekdayShortNames[7] = {"пн", "вт", "ср", "чт", "пт", "сб", "вс"};

// The tabs.
inline constexpr const char* TabOverTime = "По времени";
inline constexpr const char* TabRecall = "Запоминание";
inline constexpr const char* TabThemes = "Темы";
inline constexpr const char* TabOnThisNight = "В эту ночь";
inline constexpr const char* InsightsCounting = "Подсчёт слов…";

// Over time. %1 the period's name ("по месяцам").
inline constexpr const char* ChartDreamsOverTime = "Сновидения %1";
inline constexpr const char* ChartEnergyOverTime = "Средний энергетический уровень %1";
inline constexpr const char* SeriesDreams = "Сновидения";
inline constexpr const char* SeriesNights = "Ночи с записями";
inline constexpr const char* SeriesEnergy = "Энергетика";
// The hover text: each line a name and a value.
inline constexpr const char* HoverLine = "%1: %2";
inline constexpr const char* HoverNoEnergy = "нет";
inline constexpr const char* HoverClick = "Щелчок: только этот период";

// Recall.
inline constexpr const char* RecallNights = "Ночей с записями:";
inline constexpr const char* RecallDreams = "Сновидений:";
inline constexpr const char* RecallPerNight = "Сновидений за ночь:";
inline constexpr const char* RecallLongestRun = "Самая долгая серия ночей подряд:";
inline constexpr const char* RecallCurrentRun = "Текущая серия:";
// %1 the run's length, %2 its first night, %3 its last.
inline constexpr const char* RecallRunDates = "%1 (%2 – %3)";
inline constexpr const char* RecallUndated = "Сновидений в ночах без даты (не учтены):";
inline constexpr const char* ChartByWeekday = "По дням недели";
inline constexpr const char* ChartByMonth = "По месяцам года";

// Themes.
inline constexpr const char* ThemesRecurring = "Повторяющиеся темы";
inline constexpr const char* ThemesRising = "Растущие темы";
inline constexpr const char* ThemesRisingHint = "Слова, которые в последней части срока встречаются намного чаще, чем до неё";
inline constexpr const char* ThemesWithLabel = "Слова при метке:";
inline constexpr const char* ThemesWord = "Слово";
inline constexpr const char* ThemesDreams = "Снов";
inline constexpr const char* ThemesOverTime = "По времени";
inline constexpr const char* ThemesRecent = "Недавно";
inline constexpr const char* ThemesBefore = "Раньше";
inline constexpr const char* ThemesInGroup = "С меткой";
inline constexpr const char* ThemesOutside = "Без метки";
inline constexpr const char* ThemesClickHint = "Щелчок ищет это слово во всех его формах";
inline constexpr const char* ThemesExcludeNone = "Не считать темой";
inline constexpr const char* ThemesIncludeNone = "Снова считать темой";
// %1 the word.
inline constexpr const char* ThemesExclude = "Не считать темой: \"%1\"";
inline constexpr const char* ThemesExcluded = "Не считаются темами:";
inline constexpr const char* ThemesInclude = "Снова считать темой: \"%1\"";
inline constexpr const char* ThemesNone = "Нет слов, которые встречаются хотя бы в двух сновидениях.";
// %1 the error's text.
inline constexpr const char* ThemesFailed = "Темы не подсчитаны: %1";

// On this night.
inline constexpr const char* OnThisNightDate = "Ночь:";
inline constexpr const char* OnThisNightNone = "В эту ночь в прошлые годы сновидений не записано.";
// %1 the date, %2 the dream's number, %3 its title, %4 the journal.
inline constexpr const char* OnThisNightItem = "%1   %2. %3   (%4)";

// Export.
inline constexpr const char* InsightsExport = "Экспорт";
inline constexpr const char* ExportChartPng = "График в PNG…";
inline constexpr const char* ExportChartSvg = "График в SVG…";
inline constexpr const char* ExportSeriesCsv = "Таблица по периодам (CSV)…";
inline constexpr const char* ExportRecallCsv = "Запоминание (CSV)…";
inline constexpr const char* ExportThemesCsv = "Темы (CSV)…";
inline constexpr const char* ExportRisingCsv = "Растущие темы (CSV)…";
inline constexpr const char* ExportLabelWordsCsv = "Слова при метке (CSV)…";
inline constexpr const char* FilterPng = "Изображение PNG (*.png)";
inline constexpr const char* FilterSvg = "Рисунок SVG (*.svg)";
inline constexpr const char* FilterCsv = "Таблица CSV (*.csv)";
// %1 the file, %2 the reason.
inline constexpr const char* ExportWriteFailed = "Файл \"%1\" не записан: %2";

}  // namespace res
