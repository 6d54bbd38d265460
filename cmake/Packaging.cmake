# What `make package` builds with CPack: the Debian package of the tallimo program.

set(CPACK_PACKAGE_NAME tallimo)
set(CPACK_PACKAGE_CONTACT "The Tallimo developers <maintainers@tallimo.example>")
# CPack builds its version from the first three parts only; ours has four.
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "calculator for lists of durations")
# Line breaks as written: Debian shows the long description as it stands, at most 80 columns wide.
set(CPACK_PACKAGE_DESCRIPTION
    "Tallimo adds up lists of durations. Type one duration per line, such as
1:05.08 for one hour, five minutes and eight seconds, and two totals beside
the list follow every keystroke: the total of every line and the total of the
selected text.

Files dropped on the window add a line each; audio and video files (MP3,
FLAC, Ogg, M4A, WAV, MP4, MKV and more) add their play length, read from
their headers.")
set(CPACK_STRIP_FILES ON)
# Directories CPack creates would otherwise take the builder's umask, which may be group-writable.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(UNIX AND NOT APPLE)
  set(CPACK_GENERATOR DEB)
  # The Debian package holds the user's installation and the documents Debian asks of every
  # package, which `make install` leaves out: one package made of both components.
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
  set(CPACK_COMPONENTS_ALL tallimo deb)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # Beside the libraries dpkg-shlibdeps finds: Qt's own translations, which the program loads for
  # Qt's texts (the list's edit menu) when it speaks Japanese.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-translations-l10n)

  set(doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_PACKAGE_NAME})

  # The copyright file in Debian's machine-readable format, its licence text taken from LICENSE.
  file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
  string(REGEX MATCH "Copyright \\(c\\) ([^\n]+)" _ "${license}")
  set(TALLIMO_COPYRIGHT ${CMAKE_MATCH_1})
  string(REGEX REPLACE "^.*Copyright \\(c\\) [^\n]+\n+" "" terms "${license}")
  string(STRIP "${terms}" terms)
  string(REPLACE "\n\n" "\n.\n" terms "${terms}")
  string(REPLACE "\n" "\n " TALLIMO_LICENSE_TERMS " ${terms}")
  configure_file(${PROJECT_SOURCE_DIR}/res/linux/deb/copyright.in copyright @ONLY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/copyright DESTINATION ${doc_dir}
          COMPONENT deb EXCLUDE_FROM_ALL)

  # A package built from its own source has one changelog; its latest entry must be this version.
  set(changelog ${PROJECT_SOURCE_DIR}/res/linux/deb/changelog)
  file(STRINGS ${changelog} latest LIMIT_COUNT 1)
  string(REPLACE "." "\\." version_pattern ${PROJECT_VERSION})
  if(NOT latest MATCHES "^${CPACK_PACKAGE_NAME} \\(${version_pattern}\\) ")
    message(FATAL_ERROR "${changelog} starts with '${latest}', not with version ${PROJECT_VERSION}")
  endif()
  tallimo_add_gzipped_file(tallimo_deb_changelog ${changelog} changelog)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz DESTINATION ${doc_dir}
          COMPONENT deb EXCLUDE_FROM_ALL)
endif()

include(CPack)
