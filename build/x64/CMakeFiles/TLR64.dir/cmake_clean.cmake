file(REMOVE_RECURSE
  "CMakeFiles/TLR64.dir/app/main.cpp.obj"
  "CMakeFiles/TLR64.dir/app/main.cpp.obj.d"
  "bin/TLR64.exe"
  "bin/TLR64.pdb"
  "libTLR64.dll.a"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX RC)
  include(CMakeFiles/TLR64.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
