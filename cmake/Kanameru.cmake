# Helpers shared by the subsystem folders.
set(KANAMERU_CORE_TARGETS "" CACHE INTERNAL "")
set(KANAMERU_FORMS_TARGETS "" CACHE INTERNAL "")

# kanameru_core(<name> SOURCES ... DEPENDS ...): a core library (QtCore only).
function(kanameru_core name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(core_${name} STATIC ${A_SOURCES})
  target_include_directories(core_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(core_${name} PUBLIC Qt6::Core ${A_DEPENDS})
  set(KANAMERU_CORE_TARGETS ${KANAMERU_CORE_TARGETS} core_${name} CACHE INTERNAL "")
endfunction()

# kanameru_forms(<name> SOURCES ... DEPENDS ...): a forms library (Qt Widgets).
function(kanameru_forms name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(forms_${name} STATIC ${A_SOURCES})
  target_include_directories(forms_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(forms_${name} PUBLIC Qt6::Widgets platform_widgets ${A_DEPENDS})
  set(KANAMERU_FORMS_TARGETS ${KANAMERU_FORMS_TARGETS} forms_${name} CACHE INTERNAL "")
endfunction()

# Tests run headless: no display, no sound card.
set(KANAMERU_TEST_ENV
  QT_QPA_PLATFORM=offscreen
  SDL_AUDIODRIVER=dummy
  QT_LOGGING_RULES=qt.qpa.*=false
  LANG=C.UTF-8)
# Under the sanitizers the first error ends the test. Leaks are not reported: fontconfig and
# Qt's caches keep memory to the end of every program. Freed memory is poisoned as well.
set(KANAMERU_SANITIZER_ENV
  ASAN_OPTIONS=detect_leaks=0:halt_on_error=1:abort_on_error=1:hard_rss_limit_mb=6144
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
  MALLOC_PERTURB_=165)
if(KANAMERU_SANITIZE)
  list(APPEND KANAMERU_TEST_ENV ${KANAMERU_SANITIZER_ENV})
endif()

# The form tests (QtTest, offscreen or under a real X server): label "forms", and built
# together by the target form_tests, which is all that the sanitizer build makes.
add_custom_target(form_tests)

# DATES marks a test whose expectations depend on "today" (label "dates"): ./test runs those
# once more on another day in the schools' time zone, so a test that reads the real date where
# it meant the fake clock's fails there rather than on the day after it was written.

# kanameru_gtest(<name> [DATES] SOURCES ... LIBS ...): a GoogleTest program registered with CTest.
function(kanameru_gtest name)
  cmake_parse_arguments(A "DATES" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE testsupport GTest::gtest ${A_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${KANAMERU_TEST_ENV}" TIMEOUT ${A_TIMEOUT})
  if(A_DATES)
    set_tests_properties(${name} PROPERTIES LABELS dates)
  endif()
endfunction()

# kanameru_qtest(<name> [DATES] SOURCES ... LIBS ...): a QtTest form test registered with CTest.
function(kanameru_qtest name)
  cmake_parse_arguments(A "DATES" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE testsupport_forms Qt6::Test ${A_LIBS})
  add_dependencies(form_tests ${name})
  add_test(NAME ${name} COMMAND ${name})
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 300)
  endif()
  set(labels forms)
  if(A_DATES)
    list(APPEND labels dates)
  endif()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${KANAMERU_TEST_ENV}" TIMEOUT ${A_TIMEOUT} LABELS "${labels}")
endfunction()

# Runs a program under an X server of its own that picks a free display (tests/support).
set(KANAMERU_XSERVER_RUN ${PROJECT_SOURCE_DIR}/tests/support/xserver-run.sh)

# kanameru_xtest(<name> SOURCES ... LIBS ...): a QtTest form test that runs under a real X
# server (Xvfb), for what a pupil must see while the program holds its thread for a sound.
# The tests grab the screen with the screengrab program; sounds go through SDL's disk driver.
# The other arguments are those of kanameru_xtest_runs, which registers the runs.
function(kanameru_xtest name)
  cmake_parse_arguments(A "" "ALSO_WM" "SOURCES;LIBS;SCREENS;WM;ARGS" ${ARGN})
  if(WIN32)
    return() # they look at an X screen
  endif()
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE testsupport_forms Qt6::Test ${A_LIBS})
  target_compile_definitions(${name} PRIVATE SCREENGRAB="$<TARGET_FILE:screengrab>")
  add_dependencies(${name} screengrab)
  add_dependencies(form_tests ${name})
  kanameru_xtest_runs(${name} ${name} SCREENS ${A_SCREENS} WM ${A_WM} ALSO_WM "${A_ALSO_WM}" ARGS ${A_ARGS})
endfunction()

# kanameru_xtest_runs(<target> <name> ...): CTest tests that run the X test program <target>.
# SCREENS lists the screen sizes (WxH) to run it on, one test <name>_<WxH> each; one test <name>
# on 1280x1024 if none. WM names a window manager command to run on the X server beside the
# test: one for every screen, or one command per screen in the order of SCREENS. ALSO_WM runs
# it on every screen twice: without a window manager, and (as <name>_<WxH>_wm) with that
# command. ARGS are given to the program (the test functions to run).
function(kanameru_xtest_runs target name)
  cmake_parse_arguments(A "" "ALSO_WM" "SCREENS;WM;ARGS" ${ARGN})
  if(WIN32)
    return()
  endif()
  set(env QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=disk QT_LOGGING_RULES=qt.qpa.*=false LANG=C.UTF-8)
  if(KANAMERU_SANITIZE)
    list(APPEND env ${KANAMERU_SANITIZER_ENV})
  endif()
  if(NOT A_SCREENS)
    set(A_SCREENS 1280x1024)
    set(test_names ${name})
  endif()
  list(LENGTH A_WM wm_count)
  set(screen_index 0)
  foreach(screen ${A_SCREENS})
    set(test_name ${name})
    if(NOT test_names)
      set(test_name ${name}_${screen})
    endif()
    set(wm_args)
    if(wm_count EQUAL 1)
      set(wm_args --wm "${A_WM}")
    elseif(wm_count GREATER 1)
      list(GET A_WM ${screen_index} wm)
      set(wm_args --wm "${wm}")
    endif()
    math(EXPR screen_index "${screen_index} + 1")
    set(runs ${test_name})
    if(A_ALSO_WM)
      list(APPEND runs ${test_name}_wm)
    endif()
    foreach(run ${runs})
      if(run MATCHES "_wm$" AND A_ALSO_WM)
        set(wm_args --wm "${A_ALSO_WM}")
      endif()
      add_test(NAME ${run}
        COMMAND ${KANAMERU_XSERVER_RUN} --screen ${screen} ${wm_args} -- $<TARGET_FILE:${target}> ${A_ARGS})
      set_tests_properties(${run} PROPERTIES TIMEOUT 300 ENVIRONMENT "${env}" LABELS forms)
    endforeach()
  endforeach()
endfunction()

# Installation: two components.
#   program  the executable, the teachers' tools, the sounds the build makes, the icon and the
#            desktop entry; replaced by every install.
#   data     the school's data: every text file a teacher edits and the question file; written
#            only where it does not exist yet, so an install over a school's folder keeps them.
# An install without --component lays out both: a fresh demo installation, or an upgrade that
# keeps the school's data. Results files are never installed: the program makes them.
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME program)

# kanameru_install_data(<file> <destination>): installs a school data file into
# <prefix>/<destination> unless a file of that name is already there, and says which it did.
function(kanameru_install_data file destination)
  get_filename_component(name "${file}" NAME)
  install(CODE "
    set(_kanameru_target \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${destination}/${name}\")
    if(EXISTS \"\${_kanameru_target}\")
      message(STATUS \"Kept (school data): \${_kanameru_target}\")
    else()
      file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${destination}\" TYPE FILE FILES \"${file}\")
    endif()"
    COMPONENT data)
endfunction()
