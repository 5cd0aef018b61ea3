#pragma once
// Where a path stored in the library or a journal is looked for.
#include <string>
#include <string_view>

#include "vlm_Files.h"  // PathExists

// An absolute path is used as written. A relative one is tried against the process's current
// directory first and then against the executable's directory `appDir` (Windows-1251 bytes,
// ending in "/"); when the file is in neither, the executable's directory is chosen, so a file
// created later lands beside the library rather than wherever the program was started from.
std::string ResolvePath(std::string_view cp1251Path, std::string_view appDir);
