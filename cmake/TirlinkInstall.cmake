# SPDX-FileCopyrightText: 2026 Tirlink developers
# SPDX-License-Identifier: MIT
# Installation and packages.
#
# Two components, each its own Debian package:
#   ticker  (tirlink)      the program, a launcher that starts it in its own settings folder, a
#                          desktop entry, its icon, manual page, copyright and changelog
#   dev     (tirlink-dev)  the five libraries, their public headers under include/tirlink (a program
#                          includes "widgets/scrolltext.h", "scrolltext/fxscrolltext.h", ... with
#                          include/tirlink on its path), a CMake package, so that a program
#                          elsewhere writes find_package(Tirlink) and links Tirlink::Widgets (the
#                          Qt widgets) or Tirlink::platform, Tirlink::foundation,
#                          Tirlink::scrolltext or Tirlink::hyperlink (the framework-style
#                          classes), and the widgets' Qt Designer plugin in Qt's plugin folder
# `cmake --install` installs both; cpack makes both packages.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(TIRLINK_LAYERS platform foundation scrolltext hyperlink widgets)
set(TIRLINK_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/tirlink)
set(TIRLINK_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Tirlink)

# ---------------------------------------------------------------------------------------------
# The ticker
# ---------------------------------------------------------------------------------------------
install(TARGETS tirlink RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ticker)
# The launcher and the desktop entry name absolute paths, so they are made when installing,
# from the prefix in force then: `cmake --install --prefix` and cpack (which installs into
# CPACK_PACKAGING_INSTALL_PREFIX) each get paths that match where the files really go.
set(_gen ${CMAKE_CURRENT_BINARY_DIR}/install-generated)
install(CODE "
  set(CMAKE_INSTALL_FULL_BINDIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  set(CMAKE_INSTALL_FULL_LIBEXECDIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBEXECDIR}\")
  configure_file(${CMAKE_CURRENT_SOURCE_DIR}/packaging/tirlink-start.in ${_gen}/tirlink-start @ONLY)
  configure_file(${CMAKE_CURRENT_SOURCE_DIR}/packaging/tirlink.desktop.in ${_gen}/tirlink.desktop @ONLY)
" COMPONENT ticker)
install(PROGRAMS ${_gen}/tirlink-start DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/tirlink COMPONENT ticker)
install(FILES ${_gen}/tirlink.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT ticker)
install(FILES resources/tirlink.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps COMPONENT ticker)
install(FILES resources/icons/tirlink-128.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps
        RENAME tirlink.png COMPONENT ticker)
install(FILES resources/icons/tirlink.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT ticker)
# Software centres list the program from its metadata, which names the same icon as the desktop
# entry.
install(FILES packaging/org.example.tirlink.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
        COMPONENT ticker)

# Debian wants the manual page and the changelog compressed with gzip -9n (no name, no time
# stamp, so that a rebuild gives the same bytes); both packages carry the same changelog.
set(_gz ${CMAKE_CURRENT_BINARY_DIR}/install-compressed)
install(CODE "
  file(MAKE_DIRECTORY ${_gz})
  foreach(_f changelog tirlink.1)
    execute_process(COMMAND gzip -9n -c ${CMAKE_CURRENT_SOURCE_DIR}/packaging/\${_f}
                    OUTPUT_FILE ${_gz}/\${_f}.gz COMMAND_ERROR_IS_FATAL ANY)
  endforeach()
" COMPONENT ticker)
install(CODE "
  file(MAKE_DIRECTORY ${_gz})
  execute_process(COMMAND gzip -9n -c ${CMAKE_CURRENT_SOURCE_DIR}/packaging/changelog
                  OUTPUT_FILE ${_gz}/changelog.gz COMMAND_ERROR_IS_FATAL ANY)
" COMPONENT dev)
install(FILES ${_gz}/tirlink.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ticker)
set(_components ticker dev)
set(_packages tirlink tirlink-dev)
foreach(_component _package IN ZIP_LISTS _components _packages)
  install(FILES packaging/copyright ${_gz}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${_package} COMPONENT ${_component})
endforeach()

# ---------------------------------------------------------------------------------------------
# The libraries for other programs
# ---------------------------------------------------------------------------------------------
# The public headers, the only ones installed: what a program of its own may include. Every
# other header of a layer is internal to the library (its first comment says so): the canvas's
# text engine and pixel-row kernels, the painter and scope guards, the exception funnel, the
# instance lock, the window-system choice and the hooks the tests reach the library through.
# Programs must not come to depend on those, so they stay in the tree. The list is read from
# those comments (HeaderKinds.cmake), the same the layer check reads, so what is installed and
# what a program may include cannot drift apart. A public header may include public headers
# only; the installed-library test compiles every installed header against the installed copy
# alone.
include(${CMAKE_CURRENT_LIST_DIR}/HeaderKinds.cmake)
foreach(_layer ${TIRLINK_LAYERS})
  tirlink_public_headers(${PROJECT_SOURCE_DIR}/${_layer} TIRLINK_PUBLIC_HEADERS_${_layer})
endforeach()

# In the tree a layer's include directory is the source folder; installed it is
# include/tirlink. The source path may not appear in an exported target, so each one found on a
# layer's interface is kept for this build only.
foreach(_layer ${TIRLINK_LAYERS})
  get_target_property(_dirs ${_layer} INTERFACE_INCLUDE_DIRECTORIES)
  set(_kept "")
  foreach(_dir IN LISTS _dirs)
    if(_dir AND NOT _dir MATCHES "^\\$<")
      list(APPEND _kept "$<BUILD_INTERFACE:${_dir}>")
    elseif(_dir)
      list(APPEND _kept "${_dir}")
    endif()
  endforeach()
  set_property(TARGET ${_layer} PROPERTY INTERFACE_INCLUDE_DIRECTORIES ${_kept})
  target_include_directories(${_layer} INTERFACE $<INSTALL_INTERFACE:${TIRLINK_INSTALL_INCLUDEDIR}>)
  # libtirlink-platform.a and so on: the layers' own names are too plain for a system folder.
  # (The widgets' target is exported as Tirlink::Widgets, by Qt's naming.)
  set_target_properties(${_layer} PROPERTIES OUTPUT_NAME tirlink-${_layer})
  list(TRANSFORM TIRLINK_PUBLIC_HEADERS_${_layer} PREPEND ${_layer}/ OUTPUT_VARIABLE _headers)
  install(FILES ${_headers} DESTINATION ${TIRLINK_INSTALL_INCLUDEDIR}/${_layer} COMPONENT dev)
endforeach()
install(TARGETS ${TIRLINK_LAYERS} EXPORT TirlinkTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev)
install(EXPORT TirlinkTargets NAMESPACE Tirlink:: DESTINATION ${TIRLINK_INSTALL_CMAKEDIR} COMPONENT dev)
configure_package_config_file(packaging/TirlinkConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/TirlinkConfig.cmake INSTALL_DESTINATION ${TIRLINK_INSTALL_CMAKEDIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/TirlinkConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/TirlinkConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/TirlinkConfigVersion.cmake
        DESTINATION ${TIRLINK_INSTALL_CMAKEDIR} COMPONENT dev)

# ---------------------------------------------------------------------------------------------
# Debian packages
# ---------------------------------------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tirlink)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tirlink developers <tirlink@example.org>")
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ticker dev)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

set(CPACK_DEBIAN_TICKER_PACKAGE_NAME tirlink)
set(CPACK_DEBIAN_TICKER_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_TICKER_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_TICKER_PACKAGE_DEPENDS "fonts-liberation2, qt6-qpa-plugins, qt6-translations-l10n")
set(CPACK_COMPONENT_TICKER_DESCRIPTION "desktop ticker: a line of text scrolling across the screen
Tirlink shows a borderless strip as wide as the screen in which one line of
text scrolls from right to left. Its colours, font, text, speed and place
are set in a settings dialog and kept in a settings file.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME tirlink-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
# The Designer plugin is a shared object: its run-time libraries come from dpkg-shlibdeps.
set(CPACK_DEBIAN_DEV_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "qt6-base-dev, libgl-dev, libxcb1-dev, libxcb-present-dev, pkg-config")
set(CPACK_DEBIAN_DEV_PACKAGE_SUGGESTS "designer-qt6")
set(CPACK_COMPONENT_DEV_DESCRIPTION "Tirlink's component library for Qt 6 programs
The scrolling text control of the Tirlink ticker (four directions, marquee
and ticker modes, 3D text styles), bevels, fills and gradients, bitmap
effects, four kinds of timers and a hyperlink label, as static libraries
with their headers and a CMake package (find_package(Tirlink)). Qt widgets
over them (a scrolling text, a 3D caption, a bevel and link labels) with a
plugin for Qt Designer.")
include(CPack)
