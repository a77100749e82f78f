# cmake -DSOURCE_DIR=... -DBINARY_DIR=... -P BuildWindows.cmake
# Cross-builds TazuClick.exe and the test programs, and gathers them in BINARY_DIR/bin.
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${BINARY_DIR} -G Ninja
          -DCMAKE_TOOLCHAIN_FILE=${SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
          -DCMAKE_BUILD_TYPE=Release
  RESULT_VARIABLE Result)
if(NOT Result EQUAL 0)
  message(FATAL_ERROR "configuring the MinGW-w64 build failed")
endif()
execute_process(
  COMMAND ${CMAKE_COMMAND} --build ${BINARY_DIR} -j 2 --target TazuClick WineTarget WineProbe
  RESULT_VARIABLE Result)
if(NOT Result EQUAL 0)
  message(FATAL_ERROR "the MinGW-w64 build failed")
endif()
file(MAKE_DIRECTORY ${BINARY_DIR}/bin)
foreach(Program app/TazuClick.exe tests/wine/WineTarget.exe tests/wine/WineProbe.exe)
  file(COPY ${BINARY_DIR}/${Program} DESTINATION ${BINARY_DIR}/bin)
endforeach()
