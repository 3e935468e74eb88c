# End to end: the Devices page and the Driver settings page of ServiceApp.exe
# with the simulator.
add_wine_test(NAME e2e_devices_driver
  SOURCES DevicesDriverE2ETests.cpp
  LIBS appdriver gtest_main
  LABELS e2e)
add_dependencies(e2e_devices_driver ServiceApp DeviceSim ServiceRes)
set_tests_properties(e2e_devices_driver PROPERTIES RUN_SERIAL TRUE)
