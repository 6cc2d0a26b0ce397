file(REMOVE_RECURSE
  "CMakeFiles/tlr_res.dir/res/tollerup.rc.res"
)

# Per-language clean rules from dependency scanning.
foreach(lang RC)
  include(CMakeFiles/tlr_res.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
