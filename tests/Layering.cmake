cmake_minimum_required(VERSION 3.25)
# Fails when a lower layer includes a higher one. Each entry: a source folder and the
# folders its files may include from.
#   cmake -DROOT=<src folder> -P Layering.cmake
set(_allowed_platform platform)
set(_allowed_activity platform activity)
set(_allowed_sync platform activity sync)
set(_allowed_model platform activity sync model)

set(_problems "")
foreach(_layer platform activity sync model)
  file(GLOB _files ${ROOT}/${_layer}/*.h ${ROOT}/${_layer}/*.cpp ${ROOT}/${_layer}/local/*.h ${ROOT}/${_layer}/local/*.cpp)
  foreach(_file ${_files})
    file(STRINGS ${_file} _includes REGEX "^#include \"[a-z]+/")
    foreach(_line ${_includes})
      string(REGEX REPLACE "^#include \"([a-z]+)/.*" "\\1" _folder "${_line}")
      if(NOT _folder IN_LIST _allowed_${_layer})
        list(APPEND _problems "${_file}: ${_line}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(_problems)
  list(JOIN _problems "\n  " _text)
  message(FATAL_ERROR "includes against the layering:\n  ${_text}")
endif()
