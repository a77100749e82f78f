# Included from app/: the tazuclick executable and its installed files.
include(GNUInstallDirs)
find_package(Qt6 REQUIRED COMPONENTS Widgets)

set(TAZU_LINUX_DATA ${PROJECT_SOURCE_DIR}/data/linux)

add_executable(tazuclick ${CMAKE_CURRENT_SOURCE_DIR}/LinuxMain.cpp)
target_link_libraries(tazuclick PRIVATE tazu_entry tazu_qt tazu_x11 Qt6::Widgets)
# The sound is looked for beside the executable too, so the build runs as installed.
add_custom_command(TARGET tazuclick POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${TAZU_LINUX_DATA}/Tazuclick.wav
          $<TARGET_FILE_DIR:tazuclick>/Tazuclick.wav)

install(TARGETS tazuclick RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${TAZU_LINUX_DATA}/Tazuclick.wav DESTINATION ${CMAKE_INSTALL_DATADIR}/tazuclick)
install(FILES ${TAZU_LINUX_DATA}/tazuclick.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${TAZU_LINUX_DATA}/tazuclick.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
