# The class sheet for teachers: its lines (core), its pages (QtGui only, shared by the board
# and the teachers' tool) and the board's button that prints it.
kanameru_core(classsheet
  SOURCES classsheet.cpp
  DEPENDS core_board core_roster core_results core_startup)

add_library(gui_classsheet STATIC classsheetprint.cpp)
target_include_directories(gui_classsheet PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(gui_classsheet PUBLIC Qt6::Gui core_classsheet)

target_sources(forms_board PRIVATE seisekitime1_sheet.cpp)
target_link_libraries(forms_board PUBLIC gui_classsheet core_classsheet)
