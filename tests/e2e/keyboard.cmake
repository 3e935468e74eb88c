# End to end: page changes, Space, Enter and Alt+letters typed on the keyboard.
add_wine_test(NAME e2e_keyboard
  SOURCES KeyboardE2ETests.cpp
  LIBS appdriver gtest_main
  LABELS e2e)
add_dependencies(e2e_keyboard ServiceApp DeviceSim ServiceRes)
set_tests_properties(e2e_keyboard PROPERTIES RUN_SERIAL TRUE)
