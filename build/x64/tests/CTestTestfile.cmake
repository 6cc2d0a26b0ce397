# CMake generated Testfile for 
# Source directory: /work/main/tests
# Build directory: /work/main/build/x64/tests
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
add_test([=[app_tests]=] "/usr/lib/wine/wine64" "/work/main/build/x64/bin/app_tests.exe")
set_tests_properties([=[app_tests]=] PROPERTIES  LABELS "unit" TIMEOUT "600" _BACKTRACE_TRIPLES "/work/main/tests/CMakeLists.txt;31;add_test;/work/main/tests/CMakeLists.txt;0;")
add_test([=[watch_tests]=] "/usr/lib/wine/wine64" "/work/main/build/x64/bin/watch_tests.exe")
set_tests_properties([=[watch_tests]=] PROPERTIES  LABELS "unit" TIMEOUT "600" _BACKTRACE_TRIPLES "/work/main/tests/CMakeLists.txt;31;add_test;/work/main/tests/CMakeLists.txt;0;")
add_test([=[actions_tests]=] "/usr/lib/wine/wine64" "/work/main/build/x64/bin/actions_tests.exe")
set_tests_properties([=[actions_tests]=] PROPERTIES  LABELS "unit" TIMEOUT "600" _BACKTRACE_TRIPLES "/work/main/tests/CMakeLists.txt;31;add_test;/work/main/tests/CMakeLists.txt;0;")
add_test([=[e2e_app]=] "/usr/lib/wine/wine64" "/work/main/build/x64/bin/e2e_app.exe")
set_tests_properties([=[e2e_app]=] PROPERTIES  LABELS "e2e" RUN_SERIAL "TRUE" TIMEOUT "900" _BACKTRACE_TRIPLES "/work/main/tests/CMakeLists.txt;58;add_test;/work/main/tests/CMakeLists.txt;0;")
add_test([=[e2e_settings_file]=] "/usr/lib/wine/wine64" "/work/main/build/x64/bin/e2e_settings_file.exe")
set_tests_properties([=[e2e_settings_file]=] PROPERTIES  LABELS "e2e" RUN_SERIAL "TRUE" TIMEOUT "900" _BACKTRACE_TRIPLES "/work/main/tests/CMakeLists.txt;58;add_test;/work/main/tests/CMakeLists.txt;0;")
subdirs("../googletest")
