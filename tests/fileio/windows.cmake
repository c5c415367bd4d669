# The same tests built for Windows with MinGW-w64 and run under Wine, as CTest tests whose
# names say "windows". A second build folder (build/windows) is configured with the MinGW
# toolchain; Wine gets its own prefix under the build folder, made once by the first test.
find_program(KANAMERU_MINGW_CXX x86_64-w64-mingw32-g++-posix)
# Debian's wine64 package keeps its loader out of PATH (the "wine" package adds the wrappers).
find_program(KANAMERU_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CACHE)
option(KANAMERU_WINDOWS_TESTS "Build the file layer for Windows and test it under Wine" ON)

if(WIN32)
  # The Windows build itself runs these tests among its own.
elseif(KANAMERU_WINDOWS_TESTS AND KANAMERU_MINGW_CXX AND KANAMERU_WINE64)
  include(ExternalProject)
  set(windows_build ${CMAKE_BINARY_DIR}/windows)
  ExternalProject_Add(fileio_windows
    SOURCE_DIR ${PROJECT_SOURCE_DIR}/cmake/windows
    BINARY_DIR ${windows_build}
    CMAKE_GENERATOR Ninja
    CMAKE_ARGS
      -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
      -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    BUILD_BYPRODUCTS ${windows_build}/test_fileio.exe ${windows_build}/fileio_helper.exe)

  # Headless: no display (Wine then opens no window), no debug output, no Mono or Gecko setup.
  set(wine_env
    WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix
    WINEDEBUG=-all
    WINEDLLOVERRIDES=mscoree,mshtml=
    DISPLAY=
    WAYLAND_DISPLAY=)
  get_filename_component(wine_dir ${KANAMERU_WINE64} DIRECTORY)
  # Making the prefix takes Wine's first start (about 20 s); it is kept for the next runs.
  add_test(NAME windows_wine_prefix
    COMMAND ${CMAKE_COMMAND} -E env ${wine_env}
      sh -c "test -f \"$WINEPREFIX/system.reg\" || { ${KANAMERU_WINE64} wineboot --init && ${wine_dir}/wineserver -w; }")
  set_tests_properties(windows_wine_prefix PROPERTIES FIXTURES_SETUP wine_prefix TIMEOUT 300 RUN_SERIAL ON)
  add_test(NAME windows_test_fileio
    COMMAND ${CMAKE_COMMAND} -E env ${wine_env} ${KANAMERU_WINE64} ${windows_build}/test_fileio.exe)
  set_tests_properties(windows_test_fileio PROPERTIES FIXTURES_REQUIRED wine_prefix TIMEOUT 600)
  add_dependencies(test_fileio fileio_windows)
elseif(KANAMERU_WINDOWS_TESTS)
  message(WARNING "No Windows tests: x86_64-w64-mingw32-g++-posix or wine64 is missing (scripts/deps.sh installs them)")
endif()
