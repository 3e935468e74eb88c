# Page tests of the Devices page and the Driver settings page.
add_wine_test(NAME pages_devices_driver
  SOURCES DevicesPageTests.cpp DriverPageTests.cpp
  LIBS pages fakes service framework gtest_main
  LABELS pages)
add_dependencies(pages_devices_driver ServiceRes)
