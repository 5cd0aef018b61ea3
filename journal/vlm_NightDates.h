#pragma once
// Nights by their dates: a night's name `dd.mm.yy` read as a date (DayNumberOfName), where a new
// night of a date goes among the others, and which names are meant as dates but are none. A name
// that is no date at all ("Отпуск") is a night without a date, kept as such on purpose.
#include <optional>
#include <string_view>

class TXMLNode;

// True when `name` is made of digits and the separators of a date (. , / -), with at least one of
// each: it is meant as a date, whether or not it is one ("32.13.26").
bool LooksLikeDate(std::string_view name);
// The first night of `journalRoot` whose name is the date `day` (a day number), or none.
const TXMLNode* NightOfDate(const TXMLNode& journalRoot, int day);
// The child of `journalRoot` before which a night of the date `day` goes: the first night dated
// later; none when it goes at the end. Nights without a date are passed over.
TXMLNode* NightAfterDate(const TXMLNode& journalRoot, int day);
