# Warnings and sanitizers for every target of the project.
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wno-unused-parameter)
if(PIVORA_WERROR)
  add_compile_options(-Werror)
endif()
if(PIVORA_FUZZ)
  # Instrument the whole core for coverage; the fuzz targets add the libFuzzer driver themselves.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(PIVORA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# A module library made of every .cpp in the calling folder that is not a test.
function(pivora_module_library name)
  file(GLOB _all CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  list(FILTER _all EXCLUDE REGEX "_test\\.cpp$")
  if(_all)
    add_library(${name} STATIC ${_all})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARGN})
  else()
    # A folder that holds only headers so far.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()
endfunction()

# The tests' runs keep their journals in the build tree, never in the user's own state folder (a
# test that keeps originals in the Trash names a Trash of its own).
set(PIVORA_TEST_ENVIRONMENT "XDG_STATE_HOME=${CMAKE_BINARY_DIR}/test-state")

# One GoogleTest executable for the folder's *_test.cpp files, registered with CTest.
function(pivora_module_tests name)
  if(NOT PIVORA_BUILD_TESTS)
    return()
  endif()
  file(GLOB _tests CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp")
  if(NOT _tests)
    return()
  endif()
  add_executable(${name} ${_tests})
  target_link_libraries(${name} PRIVATE ${ARGN} pivora_testsupport GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600 ENVIRONMENT "${PIVORA_TEST_ENVIRONMENT}")
endfunction()
