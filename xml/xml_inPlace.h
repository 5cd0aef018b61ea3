#pragma once
// Writing a file that has other names (hard links) in place, so that every name shows the new
// text, and still safely: the new text is first written whole beside the file and flushed, and
// only then named ".NAME.inplace-XXXXXX"; its bytes are then copied over the file's own, the file
// is cut to their length and flushed, and the copy is removed. Room for the text is reserved
// before the file is touched, so that a full disk leaves the old text as it was. A save killed
// while it copies leaves the named copy: the next load or save of the file finishes the copy
// (FinishInPlaceWrites) before anything else, so the file never stays half old, half new.
#include <string>

// The name an in-place write gives its copy, without the six letters: ".NAME.inplace-".
std::string InPlacePrefix(const std::string& nativeTarget);

struct TInPlaceResult {
  int Error = 0;         // errno of what failed, 0 when the file holds the new text
  bool Touched = false;  // the file's bytes were being replaced when it failed
};
// Copies the whole file open as `from` over the file `nativeTarget` from its first byte, cuts it to
// that length and flushes it.
TInPlaceResult CopyInPlace(int from, const std::string& nativeTarget);

// Finishes an in-place write of `nativeTarget` that was killed part-way: the newest of the user's
// regular files ".NAME.inplace-XXXXXX" beside it is copied over it and removed (older ones are
// removed). Failures leave the copy for the next time.
void FinishInPlaceWrites(const std::string& nativeTarget);
