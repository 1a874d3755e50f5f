# The Debian package: `cpack -G DEB` in a build folder. It holds what
# `cmake --install` puts under /usr, plus the copyright and changelog files
# Debian asks for, which a plain install leaves out.

set(quozzolo_debian_docs ${CMAKE_INSTALL_DATADIR}/doc/quozzolo)
configure_file(data/debian/changelog.in debian/changelog @ONLY)
find_program(QUOZZOLO_GZIP gzip)
if(QUOZZOLO_GZIP)
    add_custom_command(OUTPUT debian/changelog.gz
        COMMAND ${QUOZZOLO_GZIP} -9nfk debian/changelog
        DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    add_custom_target(quozzolo_debian_changelog ALL DEPENDS debian/changelog.gz)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog.gz
        DESTINATION ${quozzolo_debian_docs} COMPONENT debian EXCLUDE_FROM_ALL)
endif()
install(FILES data/debian/copyright
    DESTINATION ${quozzolo_debian_docs} COMPONENT debian EXCLUDE_FROM_ALL)

set(CPACK_PACKAGE_NAME quozzolo)
set(CPACK_PACKAGE_VENDOR "Tizio e Caio")
set(CPACK_PACKAGE_CONTACT "Tizio e Caio <quozzolo@scuola-fantasia.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "drill game in the division of signed integers")
# One string: separate ones would be joined with ";" into the control file.
set(CPACK_PACKAGE_DESCRIPTION "Quozzolo poses one exact division between signed integers after the other;
the player types the quotient and the game judges it and keeps the score.
A game lasts fifteen minutes, and the best score is kept with its holder's
name. All of the game's texts are in Italian.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Neither is linked, so shlibdeps cannot see them: Qt's Italian strings and
# the metric-compatible fonts the labels are laid out for.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-liberation")

# One package holding the plain install and the Debian-only files.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL Unspecified debian)

include(CPack)
