# SPDX-License-Identifier: GPL-2.0-or-later
# What `cmake --install` puts where. The programs go into bin/, libqmrfio
# into a private folder lib/kelvane/ that only their run path names (no
# other program is meant to link it), and their files into share/.
set(KELVANE_RESOURCES ${CMAKE_SOURCE_DIR}/resources)
set(KELVANE_APP_ID org.kelvane.Kelvane)
set(KELVANE_PRIVATE_LIBDIR lib/kelvane)

file(RELATIVE_PATH KELVANE_PRIVATE_LIB_FROM_PROGRAM ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_PREFIX}/${KELVANE_PRIVATE_LIBDIR})
foreach(program kelvane kelvane-cli)
  if(TARGET ${program})
    # The build tree's programs carry the install run path too: a build run
    # path would be padded with empty entries, which mean the current
    # folder, where the loader would then look for every library. In the
    # build tree the library is found beside the program.
    set_target_properties(${program} PROPERTIES INSTALL_RPATH "$ORIGIN/${KELVANE_PRIVATE_LIB_FROM_PROGRAM}"
                                                BUILD_WITH_INSTALL_RPATH ON)
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()
# The versioned file only: nothing links against the unversioned name.
install(TARGETS qmrfio LIBRARY DESTINATION ${KELVANE_PRIVATE_LIBDIR} NAMELINK_SKIP)

# The window's own files, found beside the program or in share/kelvane/.
if(TARGET kelvane)
  install(FILES ${KELVANE_RESOURCES}/success.wav ${KELVANE_RESOURCES}/error.wav ${KELVANE_RESOURCES}/attention.wav
                ${KELVANE_RESOURCES}/kelvane.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/kelvane)
  install(DIRECTORY ${KELVANE_RESOURCES}/help DESTINATION ${CMAKE_INSTALL_DATADIR}/kelvane)

  # Desktop integration: the menu entry, its icons and the software-centre
  # description, all named after the application id.
  install(FILES ${KELVANE_RESOURCES}/${KELVANE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  configure_file(${KELVANE_RESOURCES}/${KELVANE_APP_ID}.metainfo.xml.in
                 ${CMAKE_BINARY_DIR}/resources/${KELVANE_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/resources/${KELVANE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(DIRECTORY ${KELVANE_RESOURCES}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
  install(FILES ${KELVANE_RESOURCES}/kelvane.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/CHANGELOG.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
