# Helpers shared by every folder of the source tree.
#
# rivulet_add_library(<target> [LIBS <libs>...])
#   One static library per source folder, made of every .cpp/.h in the
#   folder. The repository root is the include root, so headers are
#   included as "lum/db/SqliteDb.h".
#
# rivulet_add_test(<area> [LIBS <libs>...])
#   One GoogleTest binary per test folder, made of every .cpp in it plus
#   the shared test main. Every test case is its own ctest entry, named
#   "<area>.<Suite>.<Case>", so a failure names its case and a hang costs
#   only that case's timeout.

function(rivulet_add_library target)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
       ${CMAKE_CURRENT_SOURCE_DIR}/*.ui)
  if(sources)
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} PUBLIC ${ARG_LIBS})
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
