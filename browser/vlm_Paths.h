#pragma once
// Where a path stored in the library or a journal is looked for.
#include <QString>
#include <string>
#include <string_view>

#include "vlm_Files.h"  // PathExists

// An absolute path is used as written. A relative one is tried against the process's current
// directory first, then against the library's folder `libraryDir` and then against the program's
// own folder `appDir` (Windows-1251 bytes, ending in "/"; the same folder in a portable copy, the
// user's data folder and the installed data folder in an installed program). When the file is in
// none of them, the library's folder is chosen, so a file created later lands beside the library
// rather than wherever the program was started from.
std::string ResolvePath(std::string_view cp1251Path, std::string_view libraryDir, std::string_view appDir);

// How a file chosen in a file dialog (`file`, native and absolute) is stored in the library: as a
// path relative to the library's folder `libraryDir` (native, ending in "/") when it lies inside
// it, also through symbolic links, so the library keeps finding it when the folder is moved; as
// it is when it lies outside, or when the relative path would name another file from the current
// directory (which ResolvePath tries first).
QString PathInLibrary(const QString& file, const QString& libraryDir);
