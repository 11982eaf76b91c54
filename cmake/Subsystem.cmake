include(GoogleTest)

# vxst_tests(NAME LIBS...): one GoogleTest program from the tests/*.cpp of the
# calling folder, linked with LIBS; every test is registered with ctest.
function(vxst_tests name)
  file(GLOB test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.cpp)
  if(NOT test_sources)
    return()
  endif()
  add_executable(${name} ${test_sources})
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE VXST_BINARY_DIR="${CMAKE_BINARY_DIR}"
                                             VXST_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()

# vxst_library(NAME DEPS...): a static library of the *.cpp files of the calling
# folder, linked with DEPS, and its tests (tests/*.cpp) as NAME_tests.
function(vxst_library name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARGN})
  vxst_tests(${name}_tests ${name})
endfunction()

# vxst_add_subfolders(): adds every subfolder of the calling folder that has a
# CMakeLists.txt (one program or benchmark each), so new ones need no edit here.
function(vxst_add_subfolders)
  file(GLOB children LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(child ${children})
    if(IS_DIRECTORY ${child} AND EXISTS ${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
