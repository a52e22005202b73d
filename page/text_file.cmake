# The system code page follows the locale: its cases again under zh_CN (ACP 936
# under Wine) and, natively, under the C locale (US-ASCII).
ostrivel_add_test(page_text_zh_tests SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/text_file_code_page_test.cpp
                  LOCALE zh_CN.UTF-8 LIBS ostrivel_testing)
if(NOT WIN32)
  ostrivel_add_test(page_text_c_tests SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/text_file_code_page_test.cpp
                    LOCALE C LIBS ostrivel_testing)
endif()
