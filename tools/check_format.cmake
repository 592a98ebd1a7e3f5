# Fails when a C++ file of the tree is not formatted as .clang-format says.
#
#   cmake -DSOURCE=DIR -DCLANG_FORMAT=PROGRAM [-DBUILD=DIR] -P tools/check_format.cmake
#
# The files are the ones git knows in SOURCE (committed or new, not ignored);
# without git, every .cpp and .h below SOURCE outside the build folder BUILD.
# The character table is left as its generator writes it. Where clang-format
# is missing it says so ("skipped") and succeeds.
cmake_minimum_required(VERSION 3.25)

if(NOT CLANG_FORMAT OR NOT EXISTS "${CLANG_FORMAT}")
  message("clang-format is missing: skipped")
  return()
endif()

set(files "")
find_package(Git QUIET)
if(GIT_FOUND AND EXISTS "${SOURCE}/.git")
  execute_process(
    COMMAND "${GIT_EXECUTABLE}" ls-files --cached --others --exclude-standard -- "*.cpp" "*.h"
    WORKING_DIRECTORY "${SOURCE}"
    OUTPUT_VARIABLE listed
    RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "git ls-files failed in ${SOURCE}")
  endif()
  string(REPLACE "\n" ";" listed "${listed}")
  foreach(file IN LISTS listed)
    # A file deleted but not yet committed is still listed.
    if(file AND EXISTS "${SOURCE}/${file}")
      list(APPEND files "${file}")
    endif()
  endforeach()
else()
  file(GLOB_RECURSE found RELATIVE "${SOURCE}" "${SOURCE}/*.cpp" "${SOURCE}/*.h")
  foreach(file IN LISTS found)
    if(BUILD)
      cmake_path(IS_PREFIX BUILD "${SOURCE}/${file}" NORMALIZE in_build)
      if(in_build)
        continue()
      endif()
    endif()
    list(APPEND files "${file}")
  endforeach()
endif()
list(REMOVE_ITEM files charset/charset_table.cpp)
list(REMOVE_DUPLICATES files)
list(LENGTH files count)
if(count EQUAL 0)
  message(FATAL_ERROR "no C++ files found in ${SOURCE}")
endif()

execute_process(
  COMMAND "${CLANG_FORMAT}" --dry-run -Werror ${files}
  WORKING_DIRECTORY "${SOURCE}"
  RESULT_VARIABLE drift)
if(drift)
  message(FATAL_ERROR "clang-format would change the files named above: run\n"
                      "  clang-format -i FILE...\n"
                      "on them (with ${CLANG_FORMAT}).")
endif()
message("${count} files formatted as .clang-format says")
