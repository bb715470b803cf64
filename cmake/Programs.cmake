# An executable of the program or its tools: warnings on, and the crash
# dump writer installed at start.
function(vel_add_program name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE vel_core vel_crash_hook vel_warnings)
  # Tools share tools/common/.
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  # Sanitizer builds are test builds: the programs the tests start leave out
  # of their checks what the test program leaves out (cpprestsdk only).
  if(NOT VEL_SANITIZE STREQUAL "")
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/sanitizer_suppressions.cpp)
  endif()
endfunction()
