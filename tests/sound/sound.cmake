kanameru_gtest(test_soundmap SOURCES soundmap_test.cpp LIBS core_sound)
kanameru_gtest(test_soundplay SOURCES play_test.cpp LIBS core_sound)
