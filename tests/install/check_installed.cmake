# SPDX-FileCopyrightText: 2026 Tirlink developers
# SPDX-License-Identifier: MIT
# Installs the library from the build folder BUILD into a prefix inside it, builds the example
# program in SOURCE/examples/scrolltext against that copy alone, as a program outside the tree
# would be built, and runs it until it has scrolled some frames. A header left out of the
# installation, a public header that leans on one left in the tree, a wrong include path or
# a missing dependency in the package fails here.
set(prefix ${BUILD}/installed-library)
set(example ${BUILD}/installed-example)
file(REMOVE_RECURSE ${prefix} ${example} ${example}-headers)

function(step)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${ARGN}\nfailed (${rc}):\n${out}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

step(${CMAKE_COMMAND} --install ${BUILD} --component dev --prefix ${prefix})
file(GLOB_RECURSE targets ${prefix}/*/TirlinkTargets.cmake)
file(READ "${targets}" text)
string(FIND "${text}" "${SOURCE}" at)
if(NOT at EQUAL -1)
  message(FATAL_ERROR "the installed targets name the source tree ${SOURCE}")
endif()

# Every installed header in one unit, built with the example: a public header that leans on one
# left in the tree fails here.
file(GLOB_RECURSE headers RELATIVE ${prefix}/include/tirlink ${prefix}/include/tirlink/*.h)
list(TRANSFORM headers REPLACE "(.+)" "#include \"\\1\"\n")
string(JOIN "" text ${headers})
file(WRITE ${example}-headers/all_headers.cpp "${text}")
file(WRITE ${example}-headers/all_headers.cmake
     "add_library(all_headers OBJECT ${example}-headers/all_headers.cpp)\n"
     "target_link_libraries(all_headers PRIVATE Tirlink::scrolltext Tirlink::hyperlink)\n")

# The README shows the example as the developers' sample: it must be the example, line for line
# (the licence tags apart).
file(READ ${SOURCE}/README.md readme)
file(STRINGS ${SOURCE}/examples/scrolltext/main.cpp lines)
foreach(line IN LISTS lines)
  string(FIND "${readme}" "    ${line}\n" at)
  if(line AND at EQUAL -1 AND NOT line MATCHES "^// SPDX-")
    message(FATAL_ERROR "README.md lacks this line of examples/scrolltext/main.cpp:\n${line}")
  endif()
endforeach()

step(${CMAKE_COMMAND} -S ${SOURCE}/examples/scrolltext -B ${example} -G ${GENERATOR}
     -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_PREFIX_PATH=${prefix}
     -DCMAKE_PROJECT_tirlink_example_INCLUDE=${example}-headers/all_headers.cmake)
step(${CMAKE_COMMAND} --build ${example})
step(${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${example}/tirlink-example --frames 20)
if(NOT out MATCHES "20 frames scrolled")
  message(FATAL_ERROR "the example said: ${out}")
endif()
file(REMOVE_RECURSE ${prefix} ${example} ${example}-headers)
