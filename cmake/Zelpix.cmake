# zelpix_library(NAME [WIDGETS] LIBS ...): one library per folder from the sources found in it.
function(zelpix_library name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
endfunction()

# zelpix_test(NAME [QT] LIBS ...): one GoogleTest executable from tests/NAME/*.cpp.
# QT gives the tests a QApplication (offscreen); otherwise gtest's own main runs them.
function(zelpix_test name)
  cmake_parse_arguments(ARG "QT" "" "LIBS" ${ARGN})
  # Called from tests/ for tests/NAME/, or from tests/NAME/CMakeLists.txt itself.
  set(dir ${CMAKE_CURRENT_SOURCE_DIR}/${name})
  if(NOT IS_DIRECTORY ${dir})
    set(dir ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
  set(target ${name}_tests)
  string(REPLACE "/" "_" target ${target})
  add_executable(${target} ${sources})
  if(ARG_QT)
    target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support/QtTestMain.cpp)
    target_link_libraries(${target} PRIVATE Qt6::Widgets)
  else()
    target_link_libraries(${target} PRIVATE GTest::gtest_main)
  endif()
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} test_support GTest::gtest GTest::gmock)
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  target_compile_definitions(${target} PRIVATE
    ZELPIX_FIXTURES_DIR="${ZELPIX_FIXTURES_DIR}"
    ZELPIX_SAMPLES_DIR="${ZELPIX_SAMPLES_DIR}"
    ZELPIX_BINARY_DIR="${CMAKE_BINARY_DIR}")
  set(props ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 PROPERTIES ${props})
endfunction()
