# What `cmake --install` puts on a Linux desktop, and the Debian package made of it: the
# program, its desktop entry, the file types of its drawings, the icon in every size the
# desktop asks for, the thumbnailer, the AppStream metainfo and the manual page.
include(GNUInstallDirs)

set(VALENDRA_APP_ID "org.example.valendra" CACHE STRING
    "AppStream identifier of the program (reverse domain name of its home page)")
set(VALENDRA_HOMEPAGE "https://valendra.example.org" CACHE STRING
    "Home page named in the AppStream metainfo; its screenshots/ folder holds the screenshot")
set(VALENDRA_MAINTAINER "Valendra developers <valendra@example.org>" CACHE STRING
    "Maintainer named in the Debian package")

set(VALENDRA_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(VALENDRA_GENERATED_DIR ${PROJECT_BINARY_DIR}/packaging)

# The icon: one drawing, packaging/valendra.svg, rendered into every size at build time.
find_program(VALENDRA_RSVG_CONVERT rsvg-convert)
if(NOT VALENDRA_RSVG_CONVERT)
  message(FATAL_ERROR "rsvg-convert (Debian package librsvg2-bin) renders the program's icon; "
                      "scripts/deps.sh installs it")
endif()
set(VALENDRA_ICON_SIZES 16 22 24 32 48 64 128 256)
set(VALENDRA_ICON_PNGS)
foreach(size ${VALENDRA_ICON_SIZES})
  set(png ${VALENDRA_GENERATED_DIR}/icons/valendra-${size}.png)
  add_custom_command(
    OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VALENDRA_GENERATED_DIR}/icons
    COMMAND ${VALENDRA_RSVG_CONVERT} --width=${size} --height=${size} --keep-aspect-ratio
            --output=${png} ${VALENDRA_PACKAGING_DIR}/valendra.svg
    DEPENDS ${VALENDRA_PACKAGING_DIR}/valendra.svg
    COMMENT "Rendering the ${size} x ${size} icon"
    VERBATIM)
  list(APPEND VALENDRA_ICON_PNGS ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME valendra.png)
endforeach()
install(FILES ${VALENDRA_PACKAGING_DIR}/valendra.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The window shows the same icon: the rendered sizes go into the program as resources.
qt_add_resources(valendra_shell valendra_icons PREFIX /icons BASE ${VALENDRA_GENERATED_DIR}/icons
                 FILES ${VALENDRA_ICON_PNGS})

# The manual pages, compressed as man expects them.
set(VALENDRA_MAN_GZ)
foreach(page valendra valendra-container)
  set(gz ${VALENDRA_GENERATED_DIR}/${page}.1.gz)
  add_custom_command(
    OUTPUT ${gz}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VALENDRA_GENERATED_DIR}
    COMMAND sh -c "gzip -9 -n -c \"$0\" > \"$1\"" ${VALENDRA_PACKAGING_DIR}/${page}.1 ${gz}
    DEPENDS ${VALENDRA_PACKAGING_DIR}/${page}.1
    COMMENT "Compressing the manual page ${page}(1)"
    VERBATIM)
  list(APPEND VALENDRA_MAN_GZ ${gz})
endforeach()

# The Debian changelog, compressed as policy asks.
set(VALENDRA_CHANGELOG_GZ ${VALENDRA_GENERATED_DIR}/changelog.gz)
add_custom_command(
  OUTPUT ${VALENDRA_CHANGELOG_GZ}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VALENDRA_GENERATED_DIR}
  COMMAND sh -c "gzip -9 -n -c \"$0\" > \"$1\"" ${VALENDRA_PACKAGING_DIR}/debian/changelog
          ${VALENDRA_CHANGELOG_GZ}
  DEPENDS ${VALENDRA_PACKAGING_DIR}/debian/changelog
  COMMENT "Compressing the changelog"
  VERBATIM)
add_custom_target(valendra_packaging_files ALL DEPENDS ${VALENDRA_ICON_PNGS} ${VALENDRA_MAN_GZ}
                                                       ${VALENDRA_CHANGELOG_GZ})

configure_file(${VALENDRA_PACKAGING_DIR}/valendra.metainfo.xml.in
               ${VALENDRA_GENERATED_DIR}/${VALENDRA_APP_ID}.metainfo.xml @ONLY)

install(TARGETS valendra valendra-container RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${VALENDRA_PACKAGING_DIR}/valendra.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VALENDRA_PACKAGING_DIR}/valendra-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME valendra.xml)
install(FILES ${VALENDRA_PACKAGING_DIR}/valendra.thumbnailer
        DESTINATION ${CMAKE_INSTALL_DATADIR}/thumbnailers)
install(FILES ${VALENDRA_GENERATED_DIR}/${VALENDRA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${VALENDRA_MAN_GZ} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${VALENDRA_PACKAGING_DIR}/debian/copyright ${VALENDRA_CHANGELOG_GZ}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/valendra)

# The Debian package: `cpack -G DEB` in a build folder (a Release build is what to ship).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME valendra)
set(CPACK_PACKAGE_VENDOR "The Valendra authors")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for chemical structure drawings")
# Lines of the extended description stay within 80 columns, as Debian asks.
set(CPACK_PACKAGE_DESCRIPTION
    "Valendra draws chemical structures and reaction schemes: formulas with\n"
    "upper, lower and left indices and Greek letters, bonds of ten styles meeting\n"
    "at invisible junctions, arrows, curves, ring templates, charges and groups,\n"
    "with rotation, mirroring and undo. It reads and writes .vld drawings, opens\n"
    "the older .kvl family, prints, and exports pictures as SVG, PNG and PDF.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VALENDRA_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VALENDRA_HOMEPAGE}")
# Library dependencies as dpkg-shlibdeps finds them in the binary.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The fonts the drawings are measured and drawn with.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2")
# The caches the maintainer scripts refresh, Qt's Wayland platform (X11 is in Qt Gui), and
# Qt's own translations, which the Czech interface loads for Qt's buttons and dialogs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "shared-mime-info, desktop-file-utils, qt6-wayland, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${VALENDRA_PACKAGING_DIR}/debian/postinst
                                       ${VALENDRA_PACKAGING_DIR}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
