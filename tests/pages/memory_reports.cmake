# Device memory page and reports page.
add_wine_test(NAME pages_memory_reports SOURCES MemoryReportsPageTests.cpp LIBS pages fakes service framework gtest_main LABELS pages)
add_dependencies(pages_memory_reports ServiceRes)
