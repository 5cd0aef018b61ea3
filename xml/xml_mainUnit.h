#pragma once
// One XML document: file name, load status, root element and prologue.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "xml_node.h"
#include "xml_parameters.h"
#include "xml_types.h"

class TXMLTextStream;

// Removes what a killed write of the file at `nativePath` can leave beside it: the user's regular
// files named "." + the file's name + `infix` + six ASCII letters or digits, the names mkstemp
// and SaveToFile give their temporary files. Nothing else is touched; failures are ignored.
void RemoveLeftoverCopies(const std::string& nativePath, std::string_view infix);

class TXMLParser {
  // The memory of the tree's nodes, lists and strings. Declared before the tree, so that it is
  // freed after it.
  std::unique_ptr<TXMLArena> FArena;
  std::uint64_t FHeapUsesAfterLoad = 0;

public:
  TXMLParser();
  ~TXMLParser();
  TXMLParser(const TXMLParser&) = delete;
  TXMLParser& operator=(const TXMLParser&) = delete;

  // Empty name: Status 2, nothing else changes. Otherwise FileName := name, Status := result;
  // the temporary files that killed saves of this file left are removed (as SaveToFile does).
  void LoadFromFile(const std::string& fileName);
  // Parses a document held in memory (the bytes of a file); returns and stores the result.
  TXMLResult LoadFromString(std::string_view text);
  // The same for the bytes of a file as it is kept on disk: sealed ones are opened first
  // (xml_sealing.h); bytes not in the expected form give xrRefused.
  TXMLResult LoadFromBytes(std::string_view bytes);
  // FileName := name; replaces the file atomically. Raises EInOutError; the old file then stays.
  // `keepLinks`: a file with other names (hard links) is written in place instead, so that every
  // name shows the new text, as safely (xml_inPlace.h). Loading and saving first finish an
  // in-place write that was killed part-way.
  void SaveToFile(const std::string& fileName, bool keepLinks = false);
  // The document's text as SaveToFile writes it.
  std::string SaveToString() const;
  // The bytes SaveToFile writes: the text, sealed when documents are (xml_sealing.h). Raises
  // std::runtime_error when it cannot be sealed.
  std::string FileBytes() const;
  // Root when its Name matches, else Root->FindNode(name).
  TXMLNode* FindNode(std::string_view name) const;

  std::string FileName;  // Windows-1251 bytes, as stored in the library
  TXMLResult Status = xrOk;
  std::unique_ptr<TXMLNode> Root;
  std::unique_ptr<TXMLParameters> Parameters;
  // Kept in plain whatever form documents take (the library file, which names the journals).
  bool Plain = false;
  // With Status xrRefused: why the file was not read (UTF-8).
  std::string Refusal;

private:
  std::size_t FTextSize = 0;  // size of the text last read, to reserve room when writing it again
  void FreeTree() noexcept;
  void FreeTree(bool unchanged) noexcept;
  // Reads the document from the stream; stores and returns the result.
  TXMLResult Read(TXMLTextStream& stream);
  // Sealed or refused bytes (true, Status set), or plain ones left to the caller (false).
  bool ReadSealed(std::string_view bytes);
  // The rest of SaveToFile for a file written in place: `fd` holds the whole new text, flushed
  // (`temp`: its name, when it has one yet).
  static void WriteInPlace(int fd, bool unnamed, std::string temp, const std::string& target, const std::string& dir,
                           const std::string& fileName);
};
