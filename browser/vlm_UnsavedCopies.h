#pragma once
// Documents that a closing for a signal could not write are kept elsewhere, so that nothing typed
// is lost when nobody can be asked: a new folder "velmora-unsaved-YYYYMMDD-HHMMSS" in the first of
// `places` (folders that exist) that takes every one of them, each under its own file name ("-2",
// "-3", ... where two share one), with "originals.txt" naming the file each one belongs to.
#include <QString>
#include <QStringList>
#include <ctime>
#include <vector>

class TXMLParser;

// Returns the folder (ending in "/"), or empty when no place took them all; a place that fails
// part-way keeps nothing.
QString KeepUnsavedCopies(const std::vector<const TXMLParser*>& documents, const QStringList& places,
                          std::time_t now);
