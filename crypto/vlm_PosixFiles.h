#pragma once
// The files of a re-keying on the real file system: whole-file replacement through a temporary
// file beside the target (written, flushed to disk, renamed over it, the folder flushed).
#include "vlm_Rekey.h"

class TPosixFiles : public TRekeyFiles {
public:
  bool Exists(const std::string& path) override;
  bool Read(const std::string& path, std::string& bytes, std::string& error) override;
  // A false return leaves the file as it was. A killed write leaves a hidden ".NAME.writing-XXXXXX"
  // beside it, removed by the next write or removal of the same file.
  bool Write(const std::string& path, std::string_view bytes, std::string& error) override;
  bool Rename(const std::string& from, const std::string& to, std::string& error) override;
  bool Remove(const std::string& path, std::string& error) override;
  std::string Target(const std::string& path) override;
};
