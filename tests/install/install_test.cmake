# cmake -DBUILD_DIR=... -DWORK_DIR=... -DVERSION=... -P install_test.cmake
# An install over an installation replaces every program file and keeps every school data file
# byte for byte; a program-only install writes no data file at all.

# The school's data: every file a teacher edits, and the results files the program makes.
set(data_files
  "カナメル/設定.txt"
  "カナメル/タイム回数データ.txt"
  "カナメル/歴史年2001２vv.ccc"
  "tools/問題.csv"
  "files/共通データ.txt"
  "files/生徒用名簿.txt"
  "files/新音ファイル.txt")
set(results_files "カナメル/成績累積データ.dat" "files/成績累積データ家庭用.dat")
# The program files: each must be the build's after every install.
set(program_files
  "カナメル/kanameru"
  "カナメル/kanameru.png"
  "カナメル/README.md"
  "tools/kanameru-results"
  "tools/kanameru-questions"
  "files/正解1.wav"
  "files/合格.wav")

set(failures 0)
macro(fail message)
  message(SEND_ERROR "${message}")
  math(EXPR failures "${failures} + 1")
endmacro()

function(install_into prefix)
  execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix} ${ARGN}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmake --install --prefix ${prefix} ${ARGN} failed: ${err}")
  endif()
  set(install_output "${out}" PARENT_SCOPE)
endfunction()

function(same_bytes a b result)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${a} ${b} RESULT_VARIABLE rc)
  if(rc EQUAL 0)
    set(${result} TRUE PARENT_SCOPE)
  else()
    set(${result} FALSE PARENT_SCOPE)
  endif()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(reference ${WORK_DIR}/reference)
set(school ${WORK_DIR}/school)
set(saved ${WORK_DIR}/saved)

# 1. A fresh install lays out the whole demo installation.
install_into(${reference})
foreach(f ${data_files} ${program_files} "カナメル/kanameru.desktop")
  if(NOT EXISTS ${reference}/${f})
    fail("a fresh install has no ${f}")
  endif()
endforeach()
file(READ ${reference}/カナメル/kanameru.desktop entry)
foreach(line "Name[ja]=カナメル" "Comment[ja]=歴史の出来事に説明を合わせ、年代順に並べるドリル（バージョン ${VERSION}）" "Exec=\"${reference}/カナメル/kanameru\"" "Icon=${reference}/カナメル/kanameru.png")
  string(FIND "${entry}" "\n${line}\n" at)
  if(at EQUAL -1)
    fail("the desktop entry lacks the line ${line}:\n${entry}")
  endif()
endforeach()

# 2. An upgrade over a school's installation: every data file edited, results recorded, the
# program files those of an older version.
install_into(${school})
foreach(f ${data_files} ${results_files})
  file(APPEND ${school}/${f} "edited by the school ${f}\r\n")
  get_filename_component(dir ${saved}/${f} DIRECTORY)
  file(COPY ${school}/${f} DESTINATION ${dir})
endforeach()
foreach(f ${program_files})
  file(WRITE ${school}/${f} "an older version")
endforeach()

foreach(round "full" "program")
  if(round STREQUAL "program")
    install_into(${school} --component program)
  else()
    install_into(${school})
    foreach(f ${data_files})
      string(FIND "${install_output}" "Kept (school data): ${school}/${f}" at)
      if(at EQUAL -1)
        fail("the upgrade does not say it kept ${f}:\n${install_output}")
      endif()
    endforeach()
  endif()
  foreach(f ${data_files} ${results_files})
    same_bytes(${school}/${f} ${saved}/${f} same)
    if(NOT same)
      fail("the ${round} upgrade changed the school's ${f}")
    endif()
  endforeach()
  foreach(f ${program_files})
    same_bytes(${school}/${f} ${reference}/${f} same)
    if(NOT same)
      fail("the ${round} upgrade left the old ${f}")
    endif()
  endforeach()
endforeach()

# 3. The program alone into a folder that holds no installation yet writes no data file.
install_into(${WORK_DIR}/programonly --component program)
foreach(f ${data_files})
  if(EXISTS ${WORK_DIR}/programonly/${f})
    fail("a program-only install wrote ${f}")
  endif()
endforeach()

# 4. --version and --help answer on the terminal without a display and exit with 0.
foreach(option "--version" "--help")
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM
      ${reference}/カナメル/kanameru ${option}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 30)
  string(FIND "${out}" "${VERSION}" has_version)
  string(FIND "${out}" "--version" has_options)
  string(FIND "${out}" "フォルダの「設定.txt」と「タイム回数データ.txt」" names_files)
  if(NOT rc EQUAL 0 OR (option STREQUAL "--version" AND has_version EQUAL -1)
     OR (option STREQUAL "--help" AND (has_options EQUAL -1 OR names_files EQUAL -1)))
    fail("kanameru ${option} gave ${rc}: ${out}${err}")
  endif()
endforeach()

# 5. A mistyped option is refused with a message and exit code 2, without opening a window;
#    Qt's own options are no mistake.
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM
    ${reference}/カナメル/kanameru --bogus
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 30)
string(FIND "${err}" "「--bogus」" names_option)
if(NOT rc EQUAL 2 OR names_option EQUAL -1)
  fail("kanameru --bogus gave ${rc}: ${out}${err}")
endif()
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
    ${reference}/カナメル/kanameru -platform offscreen --version
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 30)
if(NOT rc EQUAL 0)
  fail("kanameru -platform offscreen --version gave ${rc}: ${out}${err}")
endif()

if(failures GREATER 0)
  message(FATAL_ERROR "${failures} failures")
endif()
