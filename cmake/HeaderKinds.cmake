# SPDX-FileCopyrightText: 2026 Tirlink developers
# SPDX-License-Identifier: MIT
# Which of a layer's headers are public: the one place that reads the marker, for the install
# list (TirlinkInstall.cmake) and the layer check (CheckLayers.cmake), so that the headers a
# program may include and the headers installed cannot drift apart.
#
# A header is internal when its first comment says "Internal to the library"; it is then not
# installed, and only its own layer, the tests and the benchmarks include it. One that says
# "Internal to the library, shared with the layers above" may also be included by the layers
# that reach its layer along the arrows in layers.txt (scope guards, the exception funnel and
# the like), still never by a program of its own, the gallery or the examples.

# Sets kind to "public", "internal" or "shared" for the header at path.
function(tirlink_header_kind path kind)
  file(STRINGS ${path} _head LIMIT_COUNT 12)
  set(_kind public)
  foreach(_line IN LISTS _head)
    if(_line MATCHES "^//.*Internal to the library, shared with the layers above")
      set(_kind shared)
      break()
    elseif(_line MATCHES "^//.*Internal to the library")
      set(_kind internal)
      break()
    endif()
  endforeach()
  set(${kind} ${_kind} PARENT_SCOPE)
endfunction()

# Sets out to the public headers of the layer folder dir, as names relative to it, sorted.
function(tirlink_public_headers dir out)
  file(GLOB _all RELATIVE ${dir} ${dir}/*.h)
  list(SORT _all)
  set(_public)
  foreach(_header IN LISTS _all)
    tirlink_header_kind(${dir}/${_header} _kind)
    if(_kind STREQUAL "public")
      list(APPEND _public ${_header})
    endif()
  endforeach()
  set(${out} ${_public} PARENT_SCOPE)
endfunction()
