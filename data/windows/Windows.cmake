# Included from app/: TazuClick.exe with its icon, manifest and version resource.
enable_language(RC)
set(TAZU_WINDOWS_DATA ${PROJECT_SOURCE_DIR}/data/windows)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

add_custom_command(
  OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/TazuClick.ico
  COMMAND Python3::Interpreter ${TAZU_WINDOWS_DATA}/make-icon.py
          ${CMAKE_CURRENT_BINARY_DIR}/TazuClick.ico
  DEPENDS ${TAZU_WINDOWS_DATA}/make-icon.py
  COMMENT "Drawing the icon")

add_executable(TazuClick WIN32 WinMain.cpp ${TAZU_WINDOWS_DATA}/TazuClick.rc)
set_source_files_properties(${TAZU_WINDOWS_DATA}/TazuClick.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_CURRENT_BINARY_DIR}/TazuClick.ico;${TAZU_WINDOWS_DATA}/TazuClick.manifest")
target_include_directories(TazuClick PRIVATE ${CMAKE_CURRENT_BINARY_DIR} ${TAZU_WINDOWS_DATA})
target_link_libraries(TazuClick PRIVATE tazu_entry tazu_win32)
# Nothing but the system's own DLLs at run time.
target_link_options(TazuClick PRIVATE -static -static-libgcc -static-libstdc++)
