# The tool itself, plus the programs that test it under Wine.
enable_language(RC)

# Everything linked in, so the one file runs on a bare Windows 95 or NT 4.
set(VEXORIN_TOOL_FLAGS -fno-exceptions -fno-rtti -Wall -Wextra -Werror)

add_library(vexorin_windows STATIC
  src/scanner/debug_privilege.cpp
  src/scanner/process_memory.cpp
  src/scanner/run_scan.cpp
  src/scanner/signature.cpp
  src/enumeration/enumerate_all_processes.cpp
  src/enumeration/psapi_enumerator.cpp
  src/enumeration/toolhelp_enumerator.cpp)
target_include_directories(vexorin_windows PUBLIC src/scanner src/enumeration res)
target_compile_options(vexorin_windows PRIVATE ${VEXORIN_TOOL_FLAGS})
target_link_libraries(vexorin_windows PUBLIC vexorin_portable)
target_compile_options(vexorin_portable PRIVATE -fno-exceptions -fno-rtti)
# The tool is built for size, but the matcher runs over every byte read: -O2
# searched 1.45x faster than -Os here (under Wine).
set_source_files_properties(src/scanner/match_stream.cpp PROPERTIES COMPILE_OPTIONS -O2)

add_executable(Vexorin src/scanner/main.cpp res/vexorin.rc)
target_compile_options(Vexorin PRIVATE ${VEXORIN_TOOL_FLAGS})
target_link_libraries(Vexorin PRIVATE vexorin_windows)
target_link_options(Vexorin PRIVATE -static -s)
# windres reads the signature beside the script; a changed file must rebuild it.
set_source_files_properties(res/vexorin.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/res/signature.bin;${CMAKE_SOURCE_DIR}/res/maker.h")

add_subdirectory(tests/win32)
add_subdirectory(bench/scan)
