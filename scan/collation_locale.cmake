# Name order under another user locale: a binary of its own, since Wine takes
# the user locale from LANG when the process starts.
ostrivel_add_test(scan_collation_sv_tests
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/locale_tests/collation_sv_test.cpp
  LOCALE sv_SE.UTF-8 LIBS ostrivel_testing)
