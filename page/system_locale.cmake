# The platform's own regional settings, read under two user locales: one test
# binary per locale, each stating what that locale's settings give.
foreach(locale en_US zh_CN)
  ostrivel_add_test(page_locale_${locale}_tests
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/locale_tests/system_regional_test.cpp
    LOCALE ${locale}.UTF-8
    LIBS ostrivel_testing)
  target_compile_definitions(page_locale_${locale}_tests PRIVATE
    OSTRIVEL_TEST_LOCALE="${locale}" OSTRIVEL_TEST_PLATFORM="${OSTRIVEL_PLATFORM}")
  # Wine keeps the user's regional values in the prefix's registry and rewrites
  # them whenever a process starts under another LANG: a process of another
  # locale starting in the same prefix meanwhile would change what this one reads.
  set_tests_properties(page_locale_${locale}_tests PROPERTIES RUN_SERIAL TRUE)
endforeach()
