# The demo question bank: the clear UTF-8 table data/demo/questions.csv, encoded at build time
# into the stored question file that the drill form reads from the program folder.
set(QUESTIONS_CLEAR ${DEMO_SRC}/questions.csv)
set(QUESTIONS_STORED "${DEMO_OUT}/歴史年2001２vv.ccc")
# Globbed so that the build notices when the table first appears.
file(GLOB _questions_clear CONFIGURE_DEPENDS ${QUESTIONS_CLEAR})
if(_questions_clear)
  add_custom_command(OUTPUT ${QUESTIONS_STORED}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${DEMO_OUT}
    COMMAND kanameru-questions encode ${QUESTIONS_CLEAR} ${QUESTIONS_STORED}
    DEPENDS kanameru-questions ${QUESTIONS_CLEAR}
    COMMENT "Encoding the demo question bank"
    VERBATIM)
  set_property(GLOBAL APPEND PROPERTY KANAMERU_DEMO_OUTPUTS ${QUESTIONS_STORED})
  kanameru_install_data(${QUESTIONS_STORED} "カナメル")
  # The same table beside the tools, as a Japanese spreadsheet saves CSV (CP932, CR LF), for
  # the teacher who edits the bank and encodes it again. It is the school's data once edited.
  set(QUESTIONS_SHEET "${DEMO_OUT}/問題.csv")
  add_custom_command(OUTPUT ${QUESTIONS_SHEET}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${DEMO_OUT}
    COMMAND kanameru-textconv ${QUESTIONS_CLEAR} ${QUESTIONS_SHEET}
    DEPENDS kanameru-textconv ${QUESTIONS_CLEAR}
    VERBATIM)
  set_property(GLOBAL APPEND PROPERTY KANAMERU_DEMO_OUTPUTS ${QUESTIONS_SHEET})
  kanameru_install_data(${QUESTIONS_SHEET} "tools")
else()
  message(WARNING "data/demo/questions.csv is missing: the demo installation has no question file")
endif()
