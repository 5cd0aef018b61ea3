# cmake -DSOURCE_DIR=<dir> -DDEST_DIR=<dir> [-DEXCLUDE=<top-level folders>] -P CopyIfAbsent.cmake
#
# Copies every file under SOURCE_DIR to the same relative place under DEST_DIR,
# but only where no file exists there yet; existing files are left untouched.
# Top-level folders named in EXCLUDE are skipped.

cmake_minimum_required(VERSION 3.22)  # IN_LIST and file(COPY_FILE) in script mode

foreach(var SOURCE_DIR DEST_DIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "CopyIfAbsent: ${var} is not set")
  endif()
endforeach()

file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*")
list(SORT files)
set(copied 0)
foreach(rel IN LISTS files)
  string(REGEX MATCH "^[^/]+" top "${rel}")
  if(NOT rel STREQUAL top AND top IN_LIST EXCLUDE)
    continue()
  endif()
  set(dest "${DEST_DIR}/${rel}")
  if(EXISTS "${dest}" OR IS_SYMLINK "${dest}")
    continue()
  endif()
  get_filename_component(dest_dir "${dest}" DIRECTORY)
  file(MAKE_DIRECTORY "${dest_dir}")
  file(COPY_FILE "${SOURCE_DIR}/${rel}" "${dest}" ONLY_IF_DIFFERENT)
  math(EXPR copied "${copied} + 1")
endforeach()
if(copied GREATER 0)
  message(STATUS "Copied ${copied} starter file(s) to ${DEST_DIR}")
endif()
