# Under Wine, the faults on real disks run once more with the link loop and
# the small disk that tests/real_faults_wine.sh prepares on the Linux side.
if(WIN32 AND TARGET tests_tests)
  add_test(NAME tests_real_faults_wine
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/real_faults_wine.sh ${CMAKE_CROSSCOMPILING_EMULATOR}
            $<TARGET_FILE:tests_tests> --gtest_filter=RealFaults.*)
  set_tests_properties(tests_real_faults_wine PROPERTIES
    ENVIRONMENT "LANG=en_US.UTF-8;LC_ALL=en_US.UTF-8;TZ=UTC")
endif()
