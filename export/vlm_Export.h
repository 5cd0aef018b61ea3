#pragma once
// Taking dreams out of the library: a dream, a night, a journal, a catalog, the whole library or
// the dreams a search found, optionally within a date range, written as one HTML file (pictures
// and charts inside), Markdown (pictures in a folder beside it), plain text or PDF, all UTF-8.
// The documents are only read. Every file is written beside its final name and renamed into place
// at the end, so a failed or cancelled export leaves no file behind and never a half-written one.
// QtCore and QtGui only: the command line uses it without a display.
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "vlm_Types.h"

class QPagedPaintDevice;
class TXMLNode;
class TXMLParser;

enum class TExportFormat { Html, Markdown, Text, Pdf };

// "html", "md", "txt" or "pdf" (also "markdown", "text"); nullopt for anything else.
std::optional<TExportFormat> ExportFormatOfName(const QString& name);
// The file name suffix of a format, without the dot.
QString ExportSuffix(TExportFormat format);

// A night with the dreams of it that are exported (all of them, or the ones a search found).
struct TExportNight {
  const TXMLNode* Day = nullptr;
  std::vector<const TXMLNode*> Dreams;
};

// One journal's part of an export. `Root` is set when the journal's charts are drawn at its top
// (a whole journal, not a night or a search's dreams).
struct TExportJournal {
  QString Name;
  const TXMLNode* Root = nullptr;
  std::vector<TExportNight> Nights;
};

// Everything one export writes: its title, the journals in order, the captions of the four labels.
struct TExportContent {
  QString Title;
  std::vector<TExportJournal> Journals;
  std::array<QString, kLabelCount> LabelCaptions;
  std::array<bool, kLabelCount> LabelDefined{};
  int DreamCount() const;
};

// Days as numbers (vlm_Search's DayNumber), inclusive; a night whose name is no date is left out
// when either end is set.
struct TExportRange {
  std::optional<int> From, To;
  bool Contains(const TXMLNode& day) const;
};

// Leaves out the nights outside `range` (and journals left without nights, unless they draw charts).
void LimitToRange(TExportContent& content, const TExportRange& range);

// The labels' captions and which are defined, from the library root (its first four `label`s);
// "Метка N" where a caption is missing.
void ReadLabelCaptions(const TXMLNode* libraryRoot, TExportContent& content);

// The parts: a journal (its root's nights within `range`, charts on top), a night, a dream.
TExportJournal JournalPart(const QString& name, const TXMLNode& root, const TExportRange& range);
TExportJournal NightPart(const QString& journalName, const TXMLNode& day);
TExportJournal DreamPart(const QString& journalName, const TXMLNode& day, const TXMLNode& dream);
// Every journal below `element` (the library root, a catalog, or one journal entry), in the tree's
// order. `open` gives the root of a journal entry's document (null when it cannot be read).
std::vector<TExportJournal> JournalsBelow(const TXMLNode& element, const TExportRange& range,
                                          const std::function<const TXMLNode*(const TXMLNode& entry)>& open);
// Adds `dream` (of `day`) to the journal's last night, or to a new night when the day differs.
void AddFoundDream(TExportJournal& journal, const TXMLNode& day, const TXMLNode& dream);

struct TExportOptions {
  TExportFormat Format = TExportFormat::Html;
  QString Output;  // the file to write
  // The file of a picture path as stored (Windows-1251); empty when there is none. Without it no
  // picture is exported.
  std::function<QString(const std::string& cp1251Path)> PictureFile;
  // Called as the dreams are written (done of total); false cancels the export.
  std::function<bool(int done, int total)> Progress;
};

struct TExportResult {
  enum TOutcome { Done, Cancelled, Failed } Outcome = Done;
  QString Error;  // Failed: why, for the user
};

TExportResult Export(const TExportContent& content, const TExportOptions& options);

// The content laid out on the pages of `device` (a PDF writer or a printer), in its page layout,
// page numbers at the foot. Cancelled through the options' progress (also between the parts of a
// long description); Failed when the device cannot be painted on, or when some text could not
// be placed on the pages (the error names the dreams; the pages hold the rest).
TExportResult PaintPages(const TExportContent& content, QPagedPaintDevice& device, const TExportOptions& options);

// A journal or library file read without writing anything (not even the leftovers of old saves),
// for an export of documents no window has open. An error text for the user, empty when the file
// read whole.
QString ReadDocumentOnly(const QString& file, TXMLParser& document);

// A name for the exported file from what is exported: the title with the characters a file name
// should not hold replaced, and the format's suffix.
QString ProposedFileName(const TExportContent& content, TExportFormat format);
