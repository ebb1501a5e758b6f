# SPDX-FileCopyrightText: 2026 Tirlink developers
# SPDX-License-Identifier: MIT
# Installs the library from the build folder BUILD into a prefix inside it, builds the example
# programs in SOURCE/examples/scrolltext and SOURCE/examples/widgets against that copy alone, as
# a program outside the tree would be built, and runs each until it has scrolled some frames;
# then builds the widgets' check (tests/install/widgets) the same way and runs it with the
# installed Designer plugin and the example's Designer form. A header left out of the
# installation, a public header that leans on one left in the tree, a wrong include path or
# a missing dependency in the package fails here.
set(prefix ${BUILD}/installed-library)
set(example ${BUILD}/installed-example)
set(widgets ${BUILD}/installed-widgets)
file(REMOVE_RECURSE ${prefix} ${example} ${example}-headers ${widgets} ${widgets}-check)

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
     "target_link_libraries(all_headers PRIVATE Tirlink::scrolltext Tirlink::hyperlink Tirlink::Widgets)\n")

# The README shows the examples as the developers' samples: they must be the examples, line for
# line (the licence tags apart), their build files included.
file(READ ${SOURCE}/README.md readme)
foreach(file scrolltext/main.cpp scrolltext/CMakeLists.txt widgets/main.cpp widgets/CMakeLists.txt)
  file(STRINGS ${SOURCE}/examples/${file} lines)
  foreach(line IN LISTS lines)
    string(FIND "${readme}" "    ${line}\n" at)
    if(line AND at EQUAL -1 AND NOT line MATCHES "^(//|#) SPDX-")
      message(FATAL_ERROR "README.md lacks this line of examples/${file}:\n${line}")
    endif()
  endforeach()
endforeach()

step(${CMAKE_COMMAND} -S ${SOURCE}/examples/scrolltext -B ${example} -G ${GENERATOR}
     -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_PREFIX_PATH=${prefix}
     -DCMAKE_PROJECT_tirlink_example_INCLUDE=${example}-headers/all_headers.cmake)
step(${CMAKE_COMMAND} --build ${example})
step(${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${example}/tirlink-example --frames 20)
if(NOT out MATCHES "20 frames scrolled")
  message(FATAL_ERROR "the example said: ${out}")
endif()

step(${CMAKE_COMMAND} -S ${SOURCE}/examples/widgets -B ${widgets} -G ${GENERATOR} -DCMAKE_CXX_COMPILER=${CXX}
     -DCMAKE_PREFIX_PATH=${prefix})
step(${CMAKE_COMMAND} --build ${widgets})
step(${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${widgets}/tirlink-widgets-example --frames 20)
if(NOT out MATCHES "20 frames scrolled")
  message(FATAL_ERROR "the widgets example said: ${out}")
endif()

file(GLOB_RECURSE plugin ${prefix}/libtirlinkwidgets.so)
if(NOT plugin)
  message(FATAL_ERROR "the Designer plugin is not installed under ${prefix}")
endif()
step(${CMAKE_COMMAND} -S ${SOURCE}/tests/install/widgets -B ${widgets}-check -G ${GENERATOR}
     -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_PREFIX_PATH=${prefix})
step(${CMAKE_COMMAND} --build ${widgets}-check)
# Once at a whole scale and once at a fractional one.
foreach(scale 1 1.5)
  step(${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=${scale} ${widgets}-check/check-widgets
       ${plugin} ${SOURCE}/examples/widgets/panel.ui)
endforeach()
file(REMOVE_RECURSE ${prefix} ${example} ${example}-headers ${widgets} ${widgets}-check)
