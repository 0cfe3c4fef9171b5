# libjpeg with the 6b interface (API version 62), as Debian's libjpeg62-turbo-dev provides it.
find_package(JPEG REQUIRED)
file(GLOB _pivora_jconfig "${JPEG_INCLUDE_DIRS}/jconfig.h" "${JPEG_INCLUDE_DIRS}/*/jconfig.h"
     "/usr/include/${CMAKE_LIBRARY_ARCHITECTURE}/jconfig.h")
set(_pivora_jpeg_version "")
foreach(_cfg IN LISTS _pivora_jconfig)
  file(STRINGS "${_cfg}" _line REGEX "^#define[ \t]+JPEG_LIB_VERSION[ \t]+[0-9]+")
  if(_line)
    string(REGEX REPLACE ".*JPEG_LIB_VERSION[ \t]+([0-9]+).*" "\\1" _pivora_jpeg_version "${_line}")
    break()
  endif()
endforeach()
if(NOT _pivora_jpeg_version STREQUAL "62")
  message(FATAL_ERROR
    "Pivora needs libjpeg with the 6b interface (JPEG_LIB_VERSION 62), found '${_pivora_jpeg_version}'. "
    "On Debian 12 install libjpeg62-turbo-dev (tools/bootstrap does this).")
endif()
message(STATUS "libjpeg API version ${_pivora_jpeg_version}")
