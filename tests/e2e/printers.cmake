# End to end: ServiceApp.exe with the IPP device service on the CUPS test
# server's queues (run by tests/deviceipp/host-tools.sh beside the server).
add_executable(e2e_printers PrintersE2ETests.cpp)
target_link_libraries(e2e_printers PRIVATE appdriver gtest_main gtest shlwapi)
target_include_directories(e2e_printers PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
add_dependencies(e2e_printers ServiceApp DeviceIpp DeviceSim ServiceRes test_viewer)
if(CMAKE_HOST_UNIX AND CMAKE_CROSSCOMPILING)
  find_program(BASH_PROGRAM bash)
  if(NOT BASH_PROGRAM)
    set(BASH_PROGRAM bash)
  endif()
  add_test(NAME e2e_printers
           COMMAND ${BASH_PROGRAM} ${CMAKE_SOURCE_DIR}/tests/deviceipp/host-tools.sh
                   ${CMAKE_BINARY_DIR}/tests/ipp/cups ${CMAKE_BINARY_DIR}/wine-run $<TARGET_FILE:e2e_printers>)
  set_tests_properties(e2e_printers PROPERTIES
                       FIXTURES_REQUIRED CupsServer LABELS "e2e;deviceipp;ipp" RUN_SERIAL TRUE TIMEOUT 300)
endif()
