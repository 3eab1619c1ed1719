# Installed as Debian installs games: the binary in games/ under the prefix
# (/usr/games in the package), the manual in section 6 (compressed), a
# desktop entry that opens the game in a terminal, the AppStream description
# of the game, and the copyright and changelog files in the package's doc
# folder. `cpack -G DEB` in a build folder makes the Debian package of it.
set(DROWSEL_INSTALL_BINDIR games CACHE STRING "Directory of the game binary, relative to the prefix")
set(DROWSEL_APPSTREAM_ID org.drowsel.drowsel)
set(DROWSEL_RELEASE_DATE 2026-12-07)
set(DROWSEL_MAINTAINER "Drowsel developers <drowsel@users.noreply.github.com>")
set(DROWSEL_METAINFO ${CMAKE_CURRENT_BINARY_DIR}/${DROWSEL_APPSTREAM_ID}.metainfo.xml)
configure_file(data/drowsel.metainfo.xml.in ${DROWSEL_METAINFO} @ONLY)

# The release date as a changelog writes it ("Mon, 07 Dec 2026 00:00:00
# +0000"): days since 1970-01-01 by the civil calendar, whose first day was
# a Thursday, counted in years that start in March (so that February's
# leap day ends one). The 1 before each field keeps a leading zero from
# reading as octal.
string(REGEX MATCH "^([0-9]+)-([0-9]+)-([0-9]+)$" date_valid ${DROWSEL_RELEASE_DATE})
if(NOT date_valid)
  message(FATAL_ERROR "DROWSEL_RELEASE_DATE must be YYYY-MM-DD, not ${DROWSEL_RELEASE_DATE}")
endif()
math(EXPR month "1${CMAKE_MATCH_2} - 100")
math(EXPR day "1${CMAKE_MATCH_3} - 100")
math(EXPR january_or_february "(14 - ${month}) / 12")
math(EXPR year "${CMAKE_MATCH_1} - ${january_or_february}")
math(EXPR days "${year} * 365 + ${year} / 4 - ${year} / 100 + ${year} / 400
                + (153 * (${month} + 12 * ${january_or_february} - 3) + 2) / 5 + ${day} - 1 - 719468")
math(EXPR weekday "(${days} + 4) % 7")
set(weekday_names Sun Mon Tue Wed Thu Fri Sat)
list(GET weekday_names ${weekday} weekday_name)
math(EXPR month_index "${month} - 1")
set(month_names Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(GET month_names ${month_index} month_name)
set(DROWSEL_RELEASE_DATE_RFC2822 "${weekday_name}, ${CMAKE_MATCH_3} ${month_name} ${CMAKE_MATCH_1} 00:00:00 +0000")

# The manual page's footer carries the date of the build (SOURCE_DATE_EPOCH
# when set, so a rebuild of the same sources makes the same page).
string(TIMESTAMP DROWSEL_BUILD_DATE "%Y-%m-%d" UTC)
set(DROWSEL_DOC_DIR ${CMAKE_CURRENT_BINARY_DIR}/doc)
configure_file(docs/drowsel.6 ${DROWSEL_DOC_DIR}/drowsel.6 @ONLY)
configure_file(data/changelog.in ${DROWSEL_DOC_DIR}/changelog @ONLY)

# The copyright file in Debian's machine-readable format, the licence text
# taken from LICENSE (Debian calls the MIT licence Expat).
file(STRINGS LICENSE license_lines)
list(GET license_lines 2 copyright_line)
string(REGEX REPLACE "^Copyright \\(c\\) " "" copyright_holder "${copyright_line}")
set(copyright_text "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: drowsel

Files: *
Copyright: ${copyright_holder}
License: Expat
")
foreach(line IN LISTS license_lines)
  if(line STREQUAL "")
    string(APPEND copyright_text " .\n")
  else()
    string(APPEND copyright_text " ${line}\n")
  endif()
endforeach()
file(CONFIGURE OUTPUT ${DROWSEL_DOC_DIR}/copyright CONTENT "${copyright_text}" @ONLY)

# Compressed as Debian wants them: best compression, no name or time stamp.
set(DROWSEL_COMPRESSED_DOCS)
foreach(doc drowsel.6 changelog)
  add_custom_command(OUTPUT ${DROWSEL_DOC_DIR}/${doc}.gz
    COMMAND gzip -9nkf ${DROWSEL_DOC_DIR}/${doc}
    DEPENDS ${DROWSEL_DOC_DIR}/${doc} VERBATIM)
  list(APPEND DROWSEL_COMPRESSED_DOCS ${DROWSEL_DOC_DIR}/${doc}.gz)
endforeach()
# Made with the game, so that a build of the game alone installs as well.
add_custom_target(drowsel_docs DEPENDS ${DROWSEL_COMPRESSED_DOCS})
add_dependencies(drowsel drowsel_docs)

install(TARGETS drowsel RUNTIME DESTINATION ${DROWSEL_INSTALL_BINDIR})
install(FILES ${DROWSEL_DOC_DIR}/drowsel.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES data/drowsel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${DROWSEL_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${DROWSEL_DOC_DIR}/copyright ${DROWSEL_DOC_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME drowsel)
set(CPACK_PACKAGE_VENDOR "vornik")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small roguelike of a dream that will not end")
set(CPACK_PACKAGE_DESCRIPTION [[
Drowsel (Skarnwold Gaiden) is a single-player roguelike for an 80x23 text
terminal. Walk a world that shifts around you, slay 77 monsters to hear a
ghost's story in Japanese, then face the archmage.]])
set(CPACK_PACKAGE_CONTACT "${DROWSEL_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${DROWSEL_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
