#pragma once
// Where the writer puts a document's text.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// Collects the lines of a document; lines end with CR LF. With a Sink, the collected text is handed
// on in pieces of about FlushAt bytes (the writer calls MaybeFlush between nodes), so that a large
// document is not held twice in memory.
class TXMLTextFile {
public:
  void Write(std::string_view s) { Buffer.append(s); }
  void WriteLine(std::string_view s) {
    Buffer.append(s);
    Buffer.append("\r\n");
  }
  void MaybeFlush() {
    if (Sink && Buffer.size() >= FlushAt) Flush();
  }
  void Flush() {
    if (Sink && !Buffer.empty()) Sink(Buffer);
    Buffer.clear();
  }
  std::string Buffer;
  std::function<void(std::string_view)> Sink;
  std::size_t FlushAt = 1 << 20;
};
