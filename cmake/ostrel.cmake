# Each layer is one static library made of every source below its folder, so
# adding a file needs no build-script change. An empty layer gets a placeholder
# source so the target still exists.
function(ostrel_library name dir)
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/${dir}/*.cpp ${CMAKE_SOURCE_DIR}/${dir}/*.c)
  if(NOT srcs)
    set(stub ${CMAKE_BINARY_DIR}/empty_${name}.cpp)
    file(WRITE ${stub} "namespace { [[maybe_unused]] int empty_${name}; }\n")
    set(srcs ${stub})
  endif()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()

# One GoogleTest executable per tree below tests/; TIMEOUT s gives each of
# its tests that long instead of ctest's default, and COST tells a parallel
# ctest to start them before the cheaper ones (the whole games of tests/app,
# so that the others fill the remaining cores meanwhile).
function(ostrel_test_suite name dir)
  cmake_parse_arguments(PARSE_ARGV 2 suite "" "TIMEOUT;COST" "")
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE ${suite_UNPARSED_ARGUMENTS} test_support GTest::gtest GTest::gtest_main
                        GTest::gmock)
  set(props)
  if(suite_TIMEOUT)
    list(APPEND props TIMEOUT ${suite_TIMEOUT})
  endif()
  if(suite_COST)
    list(APPEND props COST ${suite_COST})
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
                       PROPERTIES ENVIRONMENT "OSTREL_DATA_DIR=${OSTREL_DEFAULT_DATA_DIR}" ${props})
endfunction()
