# Installs the library from the build folder BUILD into a prefix inside it, builds the example
# program in SOURCE/examples/scrolltext against that copy alone, as a program outside the tree
# would be built, and runs it until it has scrolled some frames. A header left out of the
# installation, a wrong include path or a missing dependency in the package fails here.
set(prefix ${BUILD}/installed-library)
set(example ${BUILD}/installed-example)
file(REMOVE_RECURSE ${prefix} ${example})

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

step(${CMAKE_COMMAND} -S ${SOURCE}/examples/scrolltext -B ${example} -G ${GENERATOR}
     -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_PREFIX_PATH=${prefix})
step(${CMAKE_COMMAND} --build ${example})
step(${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${example}/tirlink-example --frames 20)
if(NOT out MATCHES "20 frames scrolled")
  message(FATAL_ERROR "the example said: ${out}")
endif()
file(REMOVE_RECURSE ${prefix} ${example})
