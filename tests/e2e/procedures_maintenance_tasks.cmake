# End to end: the maintenance, device tasks and procedures pages with the simulator.
add_wine_test(NAME e2e_procedures_maintenance_tasks
  SOURCES ProceduresMaintenanceTasksE2ETests.cpp
  LIBS appdriver gtest_main
  LABELS e2e)
add_dependencies(e2e_procedures_maintenance_tasks ServiceApp DeviceSim ServiceRes)
set_tests_properties(e2e_procedures_maintenance_tasks PROPERTIES RUN_SERIAL TRUE)
