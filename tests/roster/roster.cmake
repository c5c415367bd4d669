kanameru_gtest(test_roster DATES
  SOURCES roster_file_test.cpp pupil_line_test.cpp roster_write_test.cpp
  LIBS core_roster)

kanameru_qtest(test_namesel DATES
  SOURCES namesel_test.cpp
  LIBS forms_roster core_results core_sound)

kanameru_qtest(test_frmname2
  SOURCES frmname2_test.cpp
  LIBS forms_roster)
