# Shared settings for Corvane's own targets: warnings (errors when CORVANE_WERROR is on), the
# sanitizers when asked, and the dependency check every library waits for.

function(corvane_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(CORVANE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
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

# The dependency arrows of CONTRIBUTING.md, checked over every source file before any library
# compiles: an include against them fails the build and names the file, the line and the arrow.
# It runs again whenever a source file changes.
file(GLOB_RECURSE CORVANE_CHECKED_SOURCES CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/src/*.h ${PROJECT_SOURCE_DIR}/src/*.cpp
     ${PROJECT_SOURCE_DIR}/runtime/windows/src/*.h ${PROJECT_SOURCE_DIR}/runtime/windows/src/*.cpp)
set(CORVANE_INCLUDE_STAMP ${CMAKE_BINARY_DIR}/include-rules.stamp)
add_custom_command(OUTPUT ${CORVANE_INCLUDE_STAMP}
                   COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-includes.sh ${PROJECT_SOURCE_DIR} ${CORVANE_INCLUDE_STAMP}
                   DEPENDS ${PROJECT_SOURCE_DIR}/scripts/check-includes.sh ${CORVANE_CHECKED_SOURCES}
                   COMMENT "Checking includes against the dependency arrows"
                   VERBATIM)
add_custom_target(corvane_include_rules ALL DEPENDS ${CORVANE_INCLUDE_STAMP})

# corvane_library(name SOURCES...): one static library per source folder, included as
# "folder/Header.h" from the src/ root.
function(corvane_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  corvane_target_defaults(${name})
  add_dependencies(${name} corvane_include_rules)
endfunction()

# corvane_interface_library(name): a folder of headers only.
function(corvane_interface_library name)
  add_library(${name} INTERFACE)
  target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
endfunction()

function(corvane_executable name)
  add_executable(${name} ${ARGN})
  corvane_target_defaults(${name})
  add_dependencies(${name} corvane_include_rules)
endfunction()
