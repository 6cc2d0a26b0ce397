
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/actions/action_text.cpp" "CMakeFiles/tlr_core.dir/actions/action_text.cpp.obj" "gcc" "CMakeFiles/tlr_core.dir/actions/action_text.cpp.obj.d"
  "/work/main/actions/command.cpp" "CMakeFiles/tlr_core.dir/actions/command.cpp.obj" "gcc" "CMakeFiles/tlr_core.dir/actions/command.cpp.obj.d"
  "/work/main/actions/countdown.cpp" "CMakeFiles/tlr_core.dir/actions/countdown.cpp.obj" "gcc" "CMakeFiles/tlr_core.dir/actions/countdown.cpp.obj.d"
  "/work/main/actions/media.cpp" "CMakeFiles/tlr_core.dir/actions/media.cpp.obj" "gcc" "CMakeFiles/tlr_core.dir/actions/media.cpp.obj.d"
  "/work/main/actions/media_player.cpp" "CMakeFiles/tlr_core.dir/actions/media_player.cpp.obj" "gcc" "CMakeFiles/tlr_core.dir/actions/media_player.cpp.obj.d"
  "/work/main/actions/perform_action.cpp" "CMakeFiles/tlr_core.dir/actions/perform_action.cpp.obj" "gcc" "CMakeFiles/tlr_core.dir/actions/perform_action.cpp.obj.d"
  "/work/main/actions/volume.cpp" "CMakeFiles/tlr_core.dir/actions/volume.cpp.obj" "gcc" "CMakeFiles/tlr_core.dir/actions/volume.cpp.obj.d"
  "/work/main/actions/windows_exit.cpp" "CMakeFiles/tlr_core.dir/actions/windows_exit.cpp.obj" "gcc" "CMakeFiles/tlr_core.dir/actions/windows_exit.cpp.obj.d"
  "/work/main/app/message_box.cpp" "CMakeFiles/tlr_core.dir/app/message_box.cpp.obj" "gcc" "CMakeFiles/tlr_core.dir/app/message_box.cpp.obj.d"
  "/work/main/app/message_loop.cpp" "CMakeFiles/tlr_core.dir/app/message_loop.cpp.obj" "gcc" "CMakeFiles/tlr_core.dir/app/message_loop.cpp.obj.d"
  "/work/main/app/paths.cpp" "CMakeFiles/tlr_core.dir/app/paths.cpp.obj" "gcc" "CMakeFiles/tlr_core.dir/app/paths.cpp.obj.d"
  "/work/main/app/run.cpp" "CMakeFiles/tlr_core.dir/app/run.cpp.obj" "gcc" "CMakeFiles/tlr_core.dir/app/run.cpp.obj.d"
  "/work/main/app/settings.cpp" "CMakeFiles/tlr_core.dir/app/settings.cpp.obj" "gcc" "CMakeFiles/tlr_core.dir/app/settings.cpp.obj.d"
  "/work/main/app/startup.cpp" "CMakeFiles/tlr_core.dir/app/startup.cpp.obj" "gcc" "CMakeFiles/tlr_core.dir/app/startup.cpp.obj.d"
  "/work/main/app/startup_logic.cpp" "CMakeFiles/tlr_core.dir/app/startup_logic.cpp.obj" "gcc" "CMakeFiles/tlr_core.dir/app/startup_logic.cpp.obj.d"
  "/work/main/app/string_list.cpp" "CMakeFiles/tlr_core.dir/app/string_list.cpp.obj" "gcc" "CMakeFiles/tlr_core.dir/app/string_list.cpp.obj.d"
  "/work/main/app/system_info.cpp" "CMakeFiles/tlr_core.dir/app/system_info.cpp.obj" "gcc" "CMakeFiles/tlr_core.dir/app/system_info.cpp.obj.d"
  "/work/main/app/wide_string.cpp" "CMakeFiles/tlr_core.dir/app/wide_string.cpp.obj" "gcc" "CMakeFiles/tlr_core.dir/app/wide_string.cpp.obj.d"
  "/work/main/power/power_hold_system.cpp" "CMakeFiles/tlr_core.dir/power/power_hold_system.cpp.obj" "gcc" "CMakeFiles/tlr_core.dir/power/power_hold_system.cpp.obj.d"
  "/work/main/power/power_scheme_access.cpp" "CMakeFiles/tlr_core.dir/power/power_scheme_access.cpp.obj" "gcc" "CMakeFiles/tlr_core.dir/power/power_scheme_access.cpp.obj.d"
  "/work/main/power/power_timeouts.cpp" "CMakeFiles/tlr_core.dir/power/power_timeouts.cpp.obj" "gcc" "CMakeFiles/tlr_core.dir/power/power_timeouts.cpp.obj.d"
  "/work/main/power/screen_saver_power_hold.cpp" "CMakeFiles/tlr_core.dir/power/screen_saver_power_hold.cpp.obj" "gcc" "CMakeFiles/tlr_core.dir/power/screen_saver_power_hold.cpp.obj.d"
  "/work/main/power/screen_saver_switch.cpp" "CMakeFiles/tlr_core.dir/power/screen_saver_switch.cpp.obj" "gcc" "CMakeFiles/tlr_core.dir/power/screen_saver_switch.cpp.obj.d"
  "/work/main/watch/capture.cpp" "CMakeFiles/tlr_core.dir/watch/capture.cpp.obj" "gcc" "CMakeFiles/tlr_core.dir/watch/capture.cpp.obj.d"
  "/work/main/watch/capture_layout.cpp" "CMakeFiles/tlr_core.dir/watch/capture_layout.cpp.obj" "gcc" "CMakeFiles/tlr_core.dir/watch/capture_layout.cpp.obj.d"
  "/work/main/watch/monitor_layout.cpp" "CMakeFiles/tlr_core.dir/watch/monitor_layout.cpp.obj" "gcc" "CMakeFiles/tlr_core.dir/watch/monitor_layout.cpp.obj.d"
  "/work/main/watch/process_inspect.cpp" "CMakeFiles/tlr_core.dir/watch/process_inspect.cpp.obj" "gcc" "CMakeFiles/tlr_core.dir/watch/process_inspect.cpp.obj.d"
  "/work/main/watch/process_text.cpp" "CMakeFiles/tlr_core.dir/watch/process_text.cpp.obj" "gcc" "CMakeFiles/tlr_core.dir/watch/process_text.cpp.obj.d"
  "/work/main/watch/process_watch_logic.cpp" "CMakeFiles/tlr_core.dir/watch/process_watch_logic.cpp.obj" "gcc" "CMakeFiles/tlr_core.dir/watch/process_watch_logic.cpp.obj.d"
  "/work/main/watch/process_watcher.cpp" "CMakeFiles/tlr_core.dir/watch/process_watcher.cpp.obj" "gcc" "CMakeFiles/tlr_core.dir/watch/process_watcher.cpp.obj.d"
  "/work/main/watch/screen_watcher.cpp" "CMakeFiles/tlr_core.dir/watch/screen_watcher.cpp.obj" "gcc" "CMakeFiles/tlr_core.dir/watch/screen_watcher.cpp.obj.d"
  "/work/main/wizard/dialog_helpers.cpp" "CMakeFiles/tlr_core.dir/wizard/dialog_helpers.cpp.obj" "gcc" "CMakeFiles/tlr_core.dir/wizard/dialog_helpers.cpp.obj.d"
  "/work/main/wizard/wizard.cpp" "CMakeFiles/tlr_core.dir/wizard/wizard.cpp.obj" "gcc" "CMakeFiles/tlr_core.dir/wizard/wizard.cpp.obj.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
