# Build helpers shared by every folder: warnings, the layer check, tests.

# Warnings are checked in our own code only; Qt's and GoogleTest's headers
# come in as system headers and are left alone. RAVELIN_WERROR makes them
# errors (developer and CI builds).
function(ravelin_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  # The fuzz tree is built with clang, whose warnings differ from the
  # compiler the code is kept clean for; they must not stop a fuzz run.
  if(RAVELIN_WERROR AND NOT RAVELIN_FUZZ)
    target_compile_options(${target} PRIVATE -Werror -Wno-error=deprecated-declarations)
  endif()
endfunction()

# Sanitizers apply to everything built here, libraries and tests alike, so a
# fault in a library shows up in whichever test reaches it. No recovery: the
# first report ends the process with a failure, which fails its test.
if(RAVELIN_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  # Under the sanitizers GCC 12 reports uninitialised members inside
  # libstdc++'s own std::regex and std::function that are not there; the
  # normal build keeps the warning.
  add_compile_options(-Wno-maybe-uninitialized)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()

# A logic library: plain C++ that must never link Qt. The check runs at
# configure time over the libraries it names, so a layer that grows a Qt
# dependency fails the build instead of quietly needing a display in tests.
function(ravelin_logic_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
  ravelin_warnings(${name})
  set_property(GLOBAL APPEND PROPERTY RAVELIN_LOGIC_LIBRARIES ${name})
endfunction()

function(ravelin_check_layers)
  get_property(libs GLOBAL PROPERTY RAVELIN_LOGIC_LIBRARIES)
  foreach(lib IN LISTS libs)
    get_target_property(deps ${lib} LINK_LIBRARIES)
    foreach(dep IN LISTS deps)
      if(dep MATCHES "^Qt[0-9]*::")
        message(FATAL_ERROR "Logic library ${lib} links ${dep}; logic must not depend on Qt")
      endif()
    endforeach()
  endforeach()
endfunction()

# One call registers a test executable with its label (unit, gui,
# integration, realserver). Tests get fresh private folders from the
# test-support main, never the user's own.
function(ravelin_add_test name)
  cmake_parse_arguments(ARG "" "LABEL;TIMEOUT" "SOURCES;DEPENDS" ${ARGN})
  if(NOT ARG_LABEL)
    set(ARG_LABEL unit)
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} ravelin_testsupport GTest::gtest GTest::gmock)
  ravelin_warnings(${name})
  set(env "RAVELIN_BIN_DIR=${CMAKE_BINARY_DIR}/bin;RAVELIN_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
  if(ARG_LABEL STREQUAL "gui")
    list(APPEND env "QT_QPA_PLATFORM=offscreen")
  endif()
  # The discovery script flattens property lists, so ENVIRONMENT keeps only
  # its first variable; running each test through `cmake -E env` sets all.
  set_property(TARGET ${name} PROPERTY CROSSCOMPILING_EMULATOR ${CMAKE_COMMAND} -E env ${env})
  gtest_discover_tests(${name}
    PROPERTIES LABELS ${ARG_LABEL} TIMEOUT ${ARG_TIMEOUT} ENVIRONMENT "${env}"
    DISCOVERY_TIMEOUT 60)
endfunction()
