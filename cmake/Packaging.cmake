# SPDX-License-Identifier: GPL-2.0-or-later
# `make package`: a Debian package of the installed tree, built by CPack.
# The library dependencies are read from the programs and the library by
# dpkg-shlibdeps; what it can't see (plugins Qt loads at run time) is named
# here.
set(KELVANE_MAINTAINER "Kelvane maintainers <maintainers@users.noreply.c-seed-32844ca9.example>"
    CACHE STRING "The package maintainer, name and address")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${KELVANE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "correct and amend the Exif metadata of JPEG photos in bulk")
# The long description as it shows in package managers: lines of at most
# 80 characters, paragraphs apart.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Kelvane works on every photo of a folder, or on one photo. It sets the\n"
       "files' own times from the time the photo was taken, shifts the photos'\n"
       "date/times, adds filename prefixes in taken-time order, restores or\n"
       "creates a lost Exif segment, writes copyright notices and image\n"
       "descriptions, exports the metadata of many photos to CSV, a workbook or an\n"
       "SQLite database, and wipes files beyond recovery. Every other byte of a\n"
       "photo is kept as it was.\n"
       "\n"
       "The package holds the desktop program kelvane and the command-line\n"
       "program kelvane-cli, which runs the same functions in scripts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The platform integration for Wayland sessions and the desktop's own file
# dialogs and palette are Qt plugins, loaded by name.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "exiftool")

# The Debian copyright and changelog files go into the package only.
set(KELVANE_DEBIAN_DIR ${CMAKE_BINARY_DIR}/debian)
execute_process(COMMAND date -u -R -d "${KELVANE_RELEASE_DATE} 12:00:00" OUTPUT_VARIABLE KELVANE_RELEASE_DATE_RFC2822
                OUTPUT_STRIP_TRAILING_WHITESPACE)
configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog.in ${KELVANE_DEBIAN_DIR}/changelog @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/packaging/copyright.in ${KELVANE_DEBIAN_DIR}/copyright @ONLY)
add_custom_command(OUTPUT ${KELVANE_DEBIAN_DIR}/changelog.gz
                   COMMAND sh -c "gzip -9n < \"$0\" > \"$1\"" ${KELVANE_DEBIAN_DIR}/changelog
                           ${KELVANE_DEBIAN_DIR}/changelog.gz
                   DEPENDS ${KELVANE_DEBIAN_DIR}/changelog VERBATIM)
add_custom_target(kelvane_debian_files ALL DEPENDS ${KELVANE_DEBIAN_DIR}/changelog.gz)
install(FILES ${KELVANE_DEBIAN_DIR}/copyright ${KELVANE_DEBIAN_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT debian EXCLUDE_FROM_ALL)

# One package holding the installed tree and the Debian files.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL Unspecified debian)
include(CPack)
