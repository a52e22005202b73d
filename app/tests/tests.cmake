# Window tests, under Wine on a virtual X display of their own. They share a
# Wine prefix of their own too: the desktop process Wine starts belongs to the
# display of the first window program, and must go with that display.
set(OSTRIVEL_GUI_PREFIX ${CMAKE_BINARY_DIR}/wineprefix-gui)
set(gui_run bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/gui-run.sh)

function(ostrivel_gui_test name)
  cmake_parse_arguments(T "" "LOCALE" "COMMAND;ENV" ${ARGN})
  add_test(NAME ${name} COMMAND ${gui_run} ${T_COMMAND})
  set(locale en_US.UTF-8)
  if(T_LOCALE)
    set(locale ${T_LOCALE})
  endif()
  set_tests_properties(${name} PROPERTIES
    RESOURCE_LOCK ostrivel_gui
    ENVIRONMENT "WINEPREFIX=${OSTRIVEL_GUI_PREFIX};LANG=${locale};LC_ALL=${locale};TZ=UTC;OSTRIVEL_WINE_RUN=${CMAKE_SOURCE_DIR}/cmake/wine-run.sh;${T_ENV}")
endfunction()

# The window built in-process, with recording fakes and with the real chooser.
add_executable(app_window_tests
  tests/window_test.cpp
  tests/program_text_test.cpp
  tests/chooser_test.cpp
  tests/run_test.cpp
  ostrivel.rc)
target_include_directories(app_window_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR})
target_link_libraries(app_window_tests PRIVATE ostrivel_app ostrivel_testing ${OSTRIVEL_GTEST})
ostrivel_gui_test(app_window_tests LOCALE zh_CN.UTF-8 COMMAND $<TARGET_FILE:app_window_tests>)

# The program started as its own process and driven from another.
add_executable(app_program_tests tests/program_test.cpp)
target_link_libraries(app_program_tests PRIVATE ostrivel_core ${OSTRIVEL_GTEST} comctl32 user32)
ostrivel_gui_test(app_program_tests LOCALE zh_CN.UTF-8
  COMMAND $<TARGET_FILE:app_program_tests>
  ENV OSTRIVEL_EXE=$<TARGET_FILE:Ostrivel>)
add_dependencies(app_program_tests Ostrivel)

# A helper that drives the running program from scripts.
add_executable(ostrivel_drive tests/drive.cpp)
target_link_options(ostrivel_drive PRIVATE -municode)
target_link_libraries(ostrivel_drive PRIVATE ostrivel_core comctl32 user32)

# Screenshots of both tabs and of the folder chooser, in the build folder.
ostrivel_gui_test(app_screenshots LOCALE zh_CN.UTF-8
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/screenshots.sh $<TARGET_FILE:Ostrivel>
          $<TARGET_FILE:ostrivel_drive> ${CMAKE_CURRENT_BINARY_DIR}/screenshots)

# Nothing that older Windows lacks is imported.
find_program(OSTRIVEL_OBJDUMP x86_64-w64-mingw32-objdump REQUIRED)
add_test(NAME app_imports
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/imports.sh ${OSTRIVEL_OBJDUMP} $<TARGET_FILE:Ostrivel>)
