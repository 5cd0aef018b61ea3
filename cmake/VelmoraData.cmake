# Puts the starter library (data/) beside an executable: the library file, the
# example journal and the pictures it names. Data of the window's own design
# (data/ui/), the desktop files (data/desktop/) and the scripts that draw the data
# (data/tools/) stay out.
#
# A file is copied only when the destination does not exist yet: the user's
# dreams.ini and journals live in the same folder and are never overwritten.
# The check runs on every build (not only on relinks), so a deleted file comes back.

function(velmora_copy_data target)
  set(data_target ${target}_data)
  get_filename_component(source_dir "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../data" ABSOLUTE)
  add_custom_target(${data_target} ALL
    COMMAND ${CMAKE_COMMAND}
            -DSOURCE_DIR=${source_dir}
            -DDEST_DIR=$<TARGET_FILE_DIR:${target}>
            "-DEXCLUDE=ui;tools;desktop"
            -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/CopyIfAbsent.cmake
    COMMENT "Starter library for ${target} (files already present are kept)"
    VERBATIM)
  add_dependencies(${target} ${data_target})
endfunction()
