# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a source file of the folder DIR includes a project header from a
# folder that is not in ALLOWED (a comma-separated list of folders under src/,
# the folder itself and the layers beneath it). Includes without a folder
# ("demo_clip_synth.h") and system headers (<...>) are not project headers of
# another layer. Writes STAMP when every file passes.
cmake_minimum_required(VERSION 3.25)
string(REPLACE "," ";" allowed "${ALLOWED}")
file(GLOB files "${DIR}/*.h" "${DIR}/*.cpp")
set(faults "")
foreach(file IN LISTS files)
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" header "${line}")
    if(NOT header MATCHES "/")
      continue()
    endif()
    get_filename_component(folder "${header}" DIRECTORY)
    if(NOT folder IN_LIST allowed)
      string(APPEND faults "  ${file}: ${header}\n")
    endif()
  endforeach()
endforeach()
if(faults)
  message(FATAL_ERROR "These includes run up a layer (allowed here: ${ALLOWED}):\n${faults}")
endif()
file(WRITE "${STAMP}" "")
