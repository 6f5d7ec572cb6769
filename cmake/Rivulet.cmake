# Helpers shared by every folder of the source tree.
#
# rivulet_add_library(<target> [LIBS <libs>...])
#   One static library per source folder, made of every .cpp/.h in the
#   folder. The repository root is the include root, so headers are
#   included as "lum/db/SqliteDb.h". Compiled as unity sources (batches of
#   source files) when RIVULET_UNITY_BUILD is on.
#
# rivulet_add_test(<area> [LIBS <libs>...])
#   One GoogleTest binary per test folder, made of every .cpp in it plus
#   the shared test main. Every test case is its own ctest entry, named
#   "<area>.<Suite>.<Case>", so a failure names its case and a hang costs
#   only that case's timeout.

# rivulet_unity_build(<target>)
#   Compiles the target's sources in batches, one translation unit per batch,
#   when RIVULET_UNITY_BUILD is on: most of a source file's compile time goes
#   to the Qt and standard headers and the inline code they bring, which a
#   batch then parses and compiles once instead of once per file.
function(rivulet_unity_build target)
  if(RIVULET_UNITY_BUILD)
    set_target_properties(${target} PROPERTIES UNITY_BUILD ON
                                               UNITY_BUILD_BATCH_SIZE ${RIVULET_UNITY_BATCH_SIZE})
  endif()
endfunction()

function(rivulet_add_library target)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
       ${CMAKE_CURRENT_SOURCE_DIR}/*.ui)
  if(sources)
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} PUBLIC ${ARG_LIBS})
    rivulet_unity_build(${target})
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} INTERFACE ${ARG_LIBS})
  endif()
endfunction()

function(rivulet_add_test area)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(NOT sources)
    return()
  endif()
  set(target test_${area})
  add_executable(${target} ${sources})
  target_link_libraries(${target} PRIVATE rivulet_test_support ${ARG_LIBS})
  gtest_discover_tests(${target}
    TEST_PREFIX "${area}."
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;RIVULET_SOURCE_DIR=${PROJECT_SOURCE_DIR};RIVULET_BINARY_DIR=${PROJECT_BINARY_DIR}"
      TIMEOUT 600)
endfunction()
