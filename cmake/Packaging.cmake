# The install tree and the Debian package. Beside the programs and the system files that their own
# directories install, `cmake --install` lays out the manual pages, AppStream metadata and icon; CPack
# turns that tree into lumadesk_<version>_<arch>.deb with dependencies worked out by dpkg-shlibdeps.
# scripts/package builds it from the release tree.
include(GNUInstallDirs)

# Manual pages and the changelog (a native package's, hence changelog.gz) are installed compressed, as
# Debian policy asks (-n: no timestamp in the archive, so the package builds reproducibly).
find_program(GZIP_PROGRAM gzip REQUIRED)
function(lumadesk_install_gzipped source destination)
  get_filename_component(name ${source} NAME)
  set(compressed ${CMAKE_CURRENT_BINARY_DIR}/packaging/${name}.gz)
  add_custom_command(OUTPUT ${compressed}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/packaging
                     COMMAND ${GZIP_PROGRAM} -9nc ${source} > ${compressed}
                     DEPENDS ${source} VERBATIM)
  string(MAKE_C_IDENTIFIER ${name} target)
  add_custom_target(lumadesk_gzip_${target} ALL DEPENDS ${compressed})
  install(FILES ${compressed} DESTINATION ${destination})
endfunction()

lumadesk_install_gzipped(${PROJECT_SOURCE_DIR}/man/lumadesk-ctl.1 ${CMAKE_INSTALL_MANDIR}/man1)
if(LUMADESK_BUILD_INTERFACE)
  lumadesk_install_gzipped(${PROJECT_SOURCE_DIR}/man/lumadesk.1 ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${PROJECT_SOURCE_DIR}/data/io.lumadesk.Lumadesk.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/lumadesk)
install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/copyright DESTINATION ${doc_dir})
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/changelog.in ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog @ONLY)
lumadesk_install_gzipped(${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog ${doc_dir})

# The icon in the hicolor theme: the SVG (installed by the interface) and PNG sizes for panels that do
# not draw SVG, rendered from it at build time with Qt Svg.
if(LUMADESK_BUILD_INTERFACE)
  set(icon ${PROJECT_SOURCE_DIR}/src/interface/icons/lumadesk.svg)
  foreach(size 16 22 24 32 48 64 128 256)
    set(png ${CMAKE_CURRENT_BINARY_DIR}/packaging/icons/${size}/lumadesk.png)
    add_custom_command(OUTPUT ${png}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/packaging/icons/${size}
                       COMMAND lumadesk-icon-renderer ${icon} ${size} ${png}
                       DEPENDS ${icon} lumadesk-icon-renderer VERBATIM)
    list(APPEND icon_pngs ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_target(lumadesk_icon_pngs ALL DEPENDS ${icon_pngs})
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumadesk)
set(CPACK_PACKAGE_VENDOR "Lumadesk")
set(CPACK_PACKAGE_CONTACT "Lumadesk developers <dev@lumadesk.io>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "control the brightness and layout of external monitors")
set(CPACK_PACKAGE_DESCRIPTION
    "Lumadesk sets the backlight brightness of external monitors over DDC/CI\n"
    "from the system tray, one display at a time or all at once. It takes\n"
    "displays off the desktop and puts them back without unplugging them, and\n"
    "keeps names and an order of your own for them. lumadesk-ctl offers the\n"
    "same from the command line.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# No Homepage field: the project publishes no web site yet.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/debian/postinst)
include(CPack)
