# End to end: the device memory page and the reports page with the simulator.
add_wine_test(NAME e2e_memory_reports
  SOURCES MemoryReportsE2ETests.cpp
  LIBS appdriver gtest_main
  LABELS e2e)
add_dependencies(e2e_memory_reports ServiceApp DeviceSim ServiceRes)
set_tests_properties(e2e_memory_reports PROPERTIES RUN_SERIAL TRUE)
