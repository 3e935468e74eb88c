# Page tests of the procedures, maintenance and device tasks pages.
add_wine_test(NAME pages_procedures_maintenance_tasks
  SOURCES ProceduresMaintenanceTasksTests.cpp
  LIBS pages fakes service framework gtest_main
  LABELS pages)
add_dependencies(pages_procedures_maintenance_tasks ServiceRes)
