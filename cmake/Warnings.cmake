# One place for the warning flags of the project's own targets. The CI
# presets make every warning an error there; code of others (GoogleTest
# built from its sources) keeps its own flags.
option(TESSARIM_WARNINGS_AS_ERRORS "Fail the build on any warning in the project's own targets" OFF)

function(tessarim_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wconversion -Wno-sign-conversion)
  set_target_properties(${target} PROPERTIES COMPILE_WARNING_AS_ERROR ${TESSARIM_WARNINGS_AS_ERRORS})
endfunction()
