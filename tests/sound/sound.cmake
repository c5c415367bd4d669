kanameru_gtest(test_soundmap SOURCES soundmap_test.cpp LIBS core_sound)
