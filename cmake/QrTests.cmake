# Test folders: every *_test.cpp is one GoogleTest program registered with CTest,
# every *_prog.cpp a helper program the tests start as a subprocess, and the
# folder's support/*.cpp are compiled once and linked into each of them.
# Tests named *_display_test.cpp open windows: they are labelled "display" and
# take the x-display lock so two of them never fight over the focus (one label
# only: a list of labels does not survive test discovery).

function(qr_add_test_folder layer)
  set(libs ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  file(GLOB progs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_prog.cpp)
  file(GLOB support CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/support/*.cpp)
  set(prog_targets)
  set(support_target)
  if(support)
    set(support_target qr_${layer}_test_support)
    add_library(${support_target} OBJECT ${support})
    target_link_libraries(${support_target} PUBLIC ${libs} GTest::gtest GTest::gmock)
    target_include_directories(${support_target} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_compile_definitions(${support_target} PUBLIC
      QR_TEST_BIN_DIR="${CMAKE_CURRENT_BINARY_DIR}"
      QR_TEST_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}"
      QR_DATA_DIR="${QR_DATA_DIR}"
      QR_PROGRAM_DIR="${QR_PROGRAM_DIR}")
  endif()
  foreach(src ${progs})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE ${support_target} ${libs})
    target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    list(APPEND prog_targets ${name})
  endforeach()
  foreach(src ${tests})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE ${support_target} ${libs} GTest::gtest_main GTest::gmock)
    target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    target_compile_definitions(${name} PRIVATE
      QR_TEST_BIN_DIR="${CMAKE_CURRENT_BINARY_DIR}"
      QR_TEST_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}"
      QR_DATA_DIR="${QR_DATA_DIR}"
      QR_PROGRAM_DIR="${QR_PROGRAM_DIR}")
    if(prog_targets)
      add_dependencies(${name} ${prog_targets})
    endif()
    if(name MATCHES "_display_test$")
      gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
        PROPERTIES LABELS display RESOURCE_LOCK x-display TIMEOUT 300)
    else()
      gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
        PROPERTIES LABELS "${layer}" TIMEOUT 300)
    endif()
  endforeach()
endfunction()
