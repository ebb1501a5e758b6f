# SPDX-FileCopyrightText: 2026 Tirlink developers
# SPDX-License-Identifier: MIT
# Fails on any include that crosses a layer arrow the wrong way or that could get round one.
#
#   cmake -DROOT=<source tree> [-DSTAMP=<file touched when all is well>] -P cmake/CheckLayers.cmake
#
# The arrows are read from layers.txt (the one place they are written down). A source file of a
# layer may include headers of its own layer and of the layers it reaches by following the
# arrows. No file anywhere in the tree (layers, tests, benchmarks, gallery, examples) may name a
# header by a path with a "." or ".." part or by an absolute path: such a path reaches a folder
# that the include roots keep out of sight, so it is refused wherever it is written. Every fault
# is reported with its file and line. Nor may any file:
#   - include a header named by a macro (#include SOME_PATH), which this check cannot read;
#   - reach a layer's header by a longer path ("tree/scrolltext/keptframe.h", through an include
#     folder above the layer roots), or set up such a folder in the build files: an include
#     folder with a ".." part, or a -I flag given beside target_include_directories;
#   - include another layer's internal header (HeaderKinds.cmake says which are internal): only
#     the layer itself, the tests and the benchmarks may, and the layers above where the header
#     says it is shared with them.
# The build runs this before it compiles a layer, and scripts/check-layers runs it on its own;
# it needs nothing but CMake.
cmake_minimum_required(VERSION 3.22)
include(${CMAKE_CURRENT_LIST_DIR}/HeaderKinds.cmake)
if(NOT ROOT)
  message(FATAL_ERROR "usage: cmake -DROOT=<source tree> -P CheckLayers.cmake")
endif()

file(STRINGS ${ROOT}/layers.txt _lines REGEX "^[a-z]")
set(_layers)
foreach(_line IN LISTS _lines)
  string(REGEX REPLACE "#.*" "" _line "${_line}")
  string(REGEX REPLACE "[ \t]+" ";" _words "${_line}")
  list(FILTER _words EXCLUDE REGEX "^$")
  list(POP_FRONT _words _layer)
  list(APPEND _layers ${_layer})
  set(_uses_${_layer} ${_words})
endforeach()
foreach(_layer IN LISTS _layers)
  foreach(_use IN LISTS _uses_${_layer})
    if(NOT _use IN_LIST _layers)
      message(FATAL_ERROR "layers.txt: ${_layer} uses ${_use}, which is no layer")
    endif()
  endforeach()
endforeach()

# The layers a layer may include: itself and all it reaches along the arrows.
foreach(_layer IN LISTS _layers)
  set(_allowed ${_layer})
  set(_todo ${_uses_${_layer}})
  while(_todo)
    list(POP_FRONT _todo _next)
    if(NOT _next IN_LIST _allowed)
      list(APPEND _allowed ${_next})
      list(APPEND _todo ${_uses_${_next}})
    endif()
  endwhile()
  set(_allowed_${_layer} ${_allowed})
endforeach()

# Each layer header's kind: public, internal or shared.
foreach(_layer IN LISTS _layers)
  file(GLOB _headers RELATIVE ${ROOT} ${ROOT}/${_layer}/*.h)
  foreach(_header IN LISTS _headers)
    tirlink_header_kind(${ROOT}/${_header} _kind_${_header})
  endforeach()
endforeach()

set(_faults 0)
set(_files 0)
# Every folder of the tree but build folders and hidden ones (build folders hold links to the
# layers' folders and generated files, no sources of their own).
file(GLOB _folders RELATIVE ${ROOT} LIST_DIRECTORIES true ${ROOT}/*)
set(_sources)
foreach(_folder IN LISTS _folders)
  if(IS_DIRECTORY ${ROOT}/${_folder} AND NOT IS_SYMLINK ${ROOT}/${_folder}
     AND NOT _folder MATCHES "^(build|out$|\\.)")
    file(GLOB_RECURSE _found RELATIVE ${ROOT} ${ROOT}/${_folder}/*.h ${ROOT}/${_folder}/*.cpp ${ROOT}/${_folder}/*.c)
    list(APPEND _sources ${_found})
  endif()
endforeach()
foreach(_file IN LISTS _sources)
  math(EXPR _files "${_files} + 1")
  string(REGEX MATCH "^[^/]+" _folder "${_file}")
  set(_top "${_folder}")
  if(NOT _top IN_LIST _layers OR NOT _file MATCHES "^[^/]+/[^/]+$")
    set(_top "")
  endif()
  file(STRINGS ${ROOT}/${_file} _includes REGEX "^[ \t]*#[ \t]*include")
  foreach(_inc IN LISTS _includes)
    set(_why "")
    if(NOT _inc MATCHES "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]*)[\">]")
      set(_path "")
      set(_why "names the header by a macro, which hides where it comes from")
    else()
      set(_path "${CMAKE_MATCH_1}")
    endif()
    # A layer's header at the end of a longer path.
    set(_tail "")
    if(_path MATCHES "/([^/]+/[^/]+)$")
      set(_tail "${CMAKE_MATCH_1}")
    endif()
    if(_why)
    elseif(_path MATCHES "(^|/)\\.\\.?(/|$)" OR _path MATCHES "^/")
      set(_why "names a header by a path with . or .. or by an absolute path")
    elseif(_tail AND DEFINED _kind_${_tail})
      set(_why "reaches ${_tail} by a path from outside the layers' include folders")
    elseif(_path MATCHES "^([^/]+)/")
      set(_first "${CMAKE_MATCH_1}")
      if(_top AND _first IN_LIST _layers AND NOT _first IN_LIST _allowed_${_top})
        set(_why "${_top} may not include ${_first}")
      elseif(_folder MATCHES "^(tests|bench)$" OR _folder STREQUAL _first)
      elseif(_kind_${_path} STREQUAL "internal")
        set(_why "${_path} is internal to its layer")
      elseif(_kind_${_path} STREQUAL "shared" AND NOT _top)
        set(_why "${_path} is internal to the library")
      endif()
    endif()
    if(_why)
      # The line number: one more than the line breaks before the first such line.
      file(READ ${ROOT}/${_file} _text)
      string(FIND "${_text}" "${_inc}" _at)
      string(SUBSTRING "${_text}" 0 ${_at} _before)
      string(REGEX REPLACE "[^\n]" "" _before "${_before}")
      string(LENGTH "${_before}" _at)
      math(EXPR _at "${_at} + 1")
      string(STRIP "${_inc}" _inc)
      message("${_file}:${_at}: ${_why} (${_inc})")
      math(EXPR _faults "${_faults} + 1")
    endif()
  endforeach()
endforeach()

# The build files: an include folder with a ".." part, or one given by a -I flag, may open the
# tree to a path the checks above do not see.
file(GLOB_RECURSE _buildfiles RELATIVE ${ROOT} ${ROOT}/CMakeLists.txt ${ROOT}/*.cmake)
list(FILTER _buildfiles EXCLUDE REGEX "^(build|out/|\\.)")
foreach(_file IN LISTS _buildfiles)
  file(STRINGS ${ROOT}/${_file} _lines)
  set(_at 0)
  foreach(_line IN LISTS _lines)
    math(EXPR _at "${_at} + 1")
    if(_line MATCHES "^[ \t]*#")
      continue()
    endif()
    set(_why "")
    if(_line MATCHES "include_directories" AND _line MATCHES "(^|[/ \t(])\\.\\.([/ \t)]|$)")
      set(_why "an include folder with a .. part")
    elseif(_line MATCHES "(^|[ \t\"(])-(I|isystem|iquote)")
      set(_why "an include folder given as a compiler flag")
    endif()
    if(_why)
      string(STRIP "${_line}" _line)
      message("${_file}:${_at}: ${_why} (${_line})")
      math(EXPR _faults "${_faults} + 1")
    endif()
  endforeach()
endforeach()

list(LENGTH _layers _count)
if(_faults GREATER 0)
  message(FATAL_ERROR "${_faults} include(s) cross a layer arrow or get round one; the arrows are in layers.txt")
endif()
if(STAMP)
  file(TOUCH ${STAMP})
else()
  message("layers: ${_count} layers, ${_files} files, every include keeps to the arrows in layers.txt")
endif()
