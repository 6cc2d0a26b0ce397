file(REMOVE_RECURSE
  "CMakeFiles/e2e_driver.dir/e2e/driver/driver.cpp.obj"
  "CMakeFiles/e2e_driver.dir/e2e/driver/driver.cpp.obj.d"
  "libe2e_driver.a"
  "libe2e_driver.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/e2e_driver.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
