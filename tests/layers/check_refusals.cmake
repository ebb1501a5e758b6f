# SPDX-FileCopyrightText: 2026 Tirlink developers
# SPDX-License-Identifier: MIT
# The layer check against a small tree of its own, in the build folder, that tries every way
# round the layers' fence: it must name each of them, by file and line, and fail.
#
#   cmake -DSOURCE=<source tree> -DBUILD=<build folder> -P check_refusals.cmake
set(tree ${BUILD}/layer-check-tree)
file(REMOVE_RECURSE ${tree})
file(COPY ${SOURCE}/layers.txt DESTINATION ${tree})
set(internal "// Internal to the library: not installed.\n")
set(shared "// Internal to the library, shared with the layers above: not installed.\n")
file(WRITE ${tree}/platform/public.h "#pragma once\n")
file(WRITE ${tree}/platform/guard.h "${shared}#pragma once\n")
file(WRITE ${tree}/platform/copy.h "${internal}#pragma once\n")
file(WRITE ${tree}/scrolltext/kept.h "${internal}#pragma once\n")
file(WRITE ${tree}/scrolltext/own.cpp "#include \"scrolltext/kept.h\"\n#include \"platform/guard.h\"\n")
file(WRITE ${tree}/tests/test_kept.cpp "#include \"scrolltext/kept.h\"\n")
file(WRITE ${tree}/hyperlink/leak.cpp "#include \"platform/copy.h\"\n")
file(WRITE ${tree}/gallery/leak.cpp
     "#define UP \"../scrolltext/kept.h\"\n#include UP\n#include \"tree/scrolltext/kept.h\"\n"
     "#include \"scrolltext/kept.h\"\n#include \"platform/guard.h\"\n#include \"platform/public.h\"\n")
# (Written through variables, so that this file itself does not show the check what it refuses.)
set(up "..")
string(CONCAT flag "-" "I")
file(WRITE ${tree}/gallery/CMakeLists.txt
     "target_include_directories(g PRIVATE \${CMAKE_CURRENT_SOURCE_DIR}/${up})\nadd_compile_options(${flag}/somewhere)\n")

execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${tree} -P ${SOURCE}/cmake/CheckLayers.cmake
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(rc EQUAL 0)
  message(FATAL_ERROR "the layer check passed a tree that gets round the layers:\n${out}")
endif()
foreach(expected
    "gallery/leak.cpp:2: names the header by a macro"
    "gallery/leak.cpp:3: reaches scrolltext/kept.h by a path from outside"
    "gallery/leak.cpp:4: scrolltext/kept.h is internal to its layer"
    "gallery/leak.cpp:5: platform/guard.h is internal to the library"
    "hyperlink/leak.cpp:1: platform/copy.h is internal to its layer"
    "gallery/CMakeLists.txt:1: an include folder with a .. part"
    "gallery/CMakeLists.txt:2: an include folder given as a compiler flag"
    "7 include(s)")
  string(FIND "${out}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the layer check did not say \"${expected}\":\n${out}")
  endif()
endforeach()
file(REMOVE_RECURSE ${tree})
