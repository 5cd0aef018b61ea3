#pragma once
// Documents kept sealed on disk. The XML library has no cipher of its own: the program installs
// the form its documents take (SetSealing), and every load and save of a document not marked
// plain (TXMLParser::Plain) goes through it: the file's first bytes are checked against the form
// expected, sealed bytes are opened whole before they are read, and the writer's text is sealed as
// it is produced, so that no plain byte reaches the save's temporary file. Without a form
// installed, documents are read and written as plain text.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

// Seals a text handed over in pieces into a file.
class TXMLSealWriter {
public:
  virtual ~TXMLSealWriter() = default;
  // False (errno set) when the file could not be written.
  virtual bool Write(std::string_view plain) = 0;
  virtual bool Finish() = 0;
};

// Opens a sealed file a piece at a time, so that the reader parses as it is opened.
class TXMLOpenReader {
public:
  virtual ~TXMLOpenReader() = default;
  // Checks the header, the key and the file's size before any text: empty, or why not (UTF-8).
  virtual std::string Begin() = 0;
  // As read(2): the count, 0 at the end, -1 when a piece was changed (Error() says why).
  virtual std::ptrdiff_t Read(char* to, std::size_t n) = 0;
  virtual std::string Error() const = 0;
};

class TXMLSealing {
public:
  virtual ~TXMLSealing() = default;
  // True when documents are sealed (a key is there); false for a library kept in plain, whose form
  // only refuses sealed files.
  virtual bool Seals() const = 0;
  // Empty when bytes beginning with `head` (up to their first 17) are in the expected form, else why
  // not, for the user (UTF-8).
  virtual std::string CheckForm(std::string_view head) const = 0;
  // Opens sealed bytes whole into `plain`: empty, or why not (UTF-8; `plain` is empty then).
  virtual std::string Open(std::string_view sealed, std::string& plain) const = 0;
  virtual std::string Seal(std::string_view plain, std::string& sealed) const = 0;
  // A reader of the sealed file open as `fd`, at its start.
  virtual std::unique_ptr<TXMLOpenReader> Reader(int fd) const = 0;
  // A writer into `fd`, a new file open for writing at its start.
  virtual std::unique_ptr<TXMLSealWriter> Writer(int fd) const = 0;
};

// The form of the documents from now on (null: plain). Safe from any thread; a load or save under
// way keeps the form it started with.
void SetSealing(std::shared_ptr<const TXMLSealing> sealing);
std::shared_ptr<const TXMLSealing> CurrentSealing();

// How many leading bytes CheckForm needs.
inline constexpr std::size_t kSealingHeadBytes = 17;

// Overwrites every byte the string holds (up to its capacity) with zeros, then empties it.
void WipeText(std::string& s) noexcept;
