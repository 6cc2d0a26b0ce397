file(REMOVE_RECURSE
  "../bin/app_tests.exe"
  "../bin/app_tests.pdb"
  "CMakeFiles/app_tests.dir/app/settings_test.cpp.obj"
  "CMakeFiles/app_tests.dir/app/settings_test.cpp.obj.d"
  "CMakeFiles/app_tests.dir/app/wide_string_test.cpp.obj"
  "CMakeFiles/app_tests.dir/app/wide_string_test.cpp.obj.d"
  "libapp_tests.dll.a"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX RC)
  include(CMakeFiles/app_tests.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
