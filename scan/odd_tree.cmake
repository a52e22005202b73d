# Under Wine the Win32 back end also meets a tree that Linux makes: names that
# Windows forbids and symbolic links (Wine cannot make those itself).
if(WIN32 AND TARGET scan_tests)
  set(odd_tree ${CMAKE_BINARY_DIR}/scan-odd-tree)
  add_test(NAME scan_odd_tree COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/make_odd_tree.sh ${odd_tree})
  set_tests_properties(scan_odd_tree PROPERTIES FIXTURES_SETUP scan_odd_tree)
  set_tests_properties(scan_tests PROPERTIES FIXTURES_REQUIRED scan_odd_tree)
  set_property(TEST scan_tests APPEND PROPERTY ENVIRONMENT "OSTRIVEL_ODD_TREE=${odd_tree}")
endif()
