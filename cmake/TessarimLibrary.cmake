# Compile options of the library's own targets, set in one place: nothing
# unwinds or asks for types across the host boundary, no contraction changes
# a result, and in the Windows build every double lives on the x87 stack
# (no SSE) and nothing carries unwind tables that nobody reads.
function(tessarim_library_target target)
  target_compile_options(${target} PRIVATE -fno-exceptions -fno-rtti -ffp-contract=off)
  if(WIN32)
    target_compile_options(${target} PRIVATE -mfpmath=387 -march=i686 -fno-asynchronous-unwind-tables)
  endif()
  tessarim_warnings(${target})
endfunction()

# A test that fails when a committed generated file differs from what its
# generator writes now.
# tessarim_check_generated(NAME FILE committed COMMAND generator...)
function(tessarim_check_generated name)
  cmake_parse_arguments(G "" "FILE" "COMMAND" ${ARGN})
  add_test(NAME ${name}
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/scripts/check-generated.py ${G_FILE} -- ${G_COMMAND})
endfunction()
