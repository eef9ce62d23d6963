# SPDX-License-Identifier: GPL-3.0-or-later
# snipola_add_test(<source> [SCREEN])
#
# Builds one GoogleTest executable from <source> and registers its tests with
# CTest. Every test links the test support library (fake dialogs, generated
# audio files). SCREEN marks tests that create widgets: they link the window libraries
# and run on Qt's offscreen platform.
find_package(GTest REQUIRED)
include(GoogleTest)

function(snipola_add_test source)
  cmake_parse_arguments(ARG "SCREEN" "" "" ${ARGN})
  get_filename_component(name ${source} NAME_WE)
  get_filename_component(dir ${source} DIRECTORY)
  get_filename_component(area ${dir} NAME)
  set(target ${area}_${name})
  add_executable(${target} ${source})
  target_link_libraries(${target} PRIVATE snipola_test_support GTest::gtest_main GTest::gmock)
  set(env "SDL_AUDIODRIVER=dummy" "SNIPOLA_TEST_TMP=${CMAKE_BINARY_DIR}/test-tmp")
  if(ARG_SCREEN)
    target_link_libraries(${target} PRIVATE snipola_widgets Qt6::Test)
    list(APPEND env "QT_QPA_PLATFORM=offscreen")
  endif()
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 TEST_LIST ${target}_TESTS PROPERTIES TIMEOUT 120)
  # gtest_discover_tests splits a list-valued property into separate words, so
  # only the first variable would reach the tests. The environment is set by a
  # script that CTest runs after the discovered tests are defined instead.
  set(env_script "${CMAKE_CURRENT_BINARY_DIR}/${target}_env.cmake")
  file(WRITE "${env_script}"
       "if(${target}_TESTS)\n  set_tests_properties(\${${target}_TESTS} PROPERTIES ENVIRONMENT \"${env}\")\nendif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${env_script}")
endfunction()
