# Shared settings for Corvane's own targets: warnings as errors and, when asked, the sanitizers.

function(corvane_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
  if(CORVANE_SANITIZE)
    target_compile_options(${target} PRIVATE
      -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
  if(CORVANE_FUZZ)
    # Coverage for libFuzzer in every library a fuzz target links; the targets add the driver.
    # The fuzz build is clang's, whose warnings differ from g++'s; g++ keeps the warning gate.
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link -Wno-error)
  endif()
endfunction()

# corvane_library(name SOURCES...): one static library per source folder, included as
# "folder/Header.h" from the src/ root.
function(corvane_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  corvane_target_defaults(${name})
endfunction()

function(corvane_executable name)
  add_executable(${name} ${ARGN})
  corvane_target_defaults(${name})
endfunction()
