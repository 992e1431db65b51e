# Installing Nodalux and packaging it as a Debian package.
#
#   cmake --install build --prefix PREFIX     the program into PREFIX
#   cmake --build build --target package      build/nodalux_VERSION_ARCH.deb
#
# The program folder PREFIX/lib/nodalux/ holds the same files as the build's
# dist/ folder: the programs, the converter, the symbol bitmap, the help file
# and the Qt backend, since the program looks for all of them beside itself
# (it finds its folder from /proc/self/exe, so a link to it works too).
# PREFIX/bin/ holds a relative link to each program users start by name.
include(GNUInstallDirs)

set(NODALUX_INSTALL_DIR "lib/nodalux" CACHE STRING
  "The program folder, relative to the install prefix")
set(NODALUX_APP_ID "org.nodalux.Nodalux")
set(NODALUX_HOMEPAGE "https://nodalux.org/" CACHE STRING "The project's home page")
set(NODALUX_SCREENSHOT_URL "https://nodalux.org/screenshots" CACHE STRING
  "Where the screenshots named in the AppStream metainfo are published")
set(NODALUX_LICENSE "LicenseRef-proprietary" CACHE STRING
  "SPDX expression of the program's licence, for the metainfo and the copyright file")
set(NODALUX_DEVELOPER "Quorvath")
set(NODALUX_MAINTAINER "Nodalux developers <maintainers@nodalux.org>" CACHE STRING
  "Maintainer field of the Debian package")

# Links in bin/ are made in the build tree and installed as links, so that
# DESTDIR and CPack's staging get them unchanged.
set(nodalux_link_dir ${CMAKE_BINARY_DIR}/install-links)
file(MAKE_DIRECTORY ${nodalux_link_dir})
file(RELATIVE_PATH nodalux_bin_to_folder
  /${CMAKE_INSTALL_BINDIR} /${NODALUX_INSTALL_DIR})

# nodalux_install_program(TARGET): TARGET into the program folder, and a link
# to it in bin/ under the same name.
function(nodalux_install_program target)
  get_target_property(name ${target} OUTPUT_NAME)
  if(NOT name)
    set(name ${target})
  endif()
  install(TARGETS ${target} RUNTIME DESTINATION ${NODALUX_INSTALL_DIR})
  file(CREATE_LINK ${nodalux_bin_to_folder}/${name} ${nodalux_link_dir}/${name} SYMBOLIC)
  install(FILES ${nodalux_link_dir}/${name} DESTINATION ${CMAKE_INSTALL_BINDIR})
  set(NODALUX_INSTALLED_PROGRAMS ${NODALUX_INSTALLED_PROGRAMS} ${name} CACHE INTERNAL "")
endfunction()

# Each program users start by name: one line each (the top CMakeLists.txt
# includes this file after the folders that define the programs). The list
# is what the install test expects in bin/, in the program folder and, from
# nodalux_install_man below, in man1/.
set(NODALUX_INSTALLED_PROGRAMS "" CACHE INTERNAL "")
nodalux_install_program(nodalux)
nodalux_install_program(nodalux_batch_program)

# The converter goes in under the name the program runs it by.
install(PROGRAMS ${NODALUX_DIST_DIR}/MakeOV2_v1-1.exe DESTINATION ${NODALUX_INSTALL_DIR})
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\"
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${NODALUX_INSTALL_DIR}/MakeOV2_v1-1.exe\")
  endif()")
install(FILES
  ${PROJECT_SOURCE_DIR}/resources/default_symbol.bmp
  ${PROJECT_SOURCE_DIR}/resources/Nodalux.hlp
  DESTINATION ${NODALUX_INSTALL_DIR})
if(TARGET zarvane_qt)
  install(TARGETS zarvane_qt LIBRARY DESTINATION ${NODALUX_INSTALL_DIR})
endif()

# The desktop: menu entry, icon in the hicolor theme, AppStream metainfo.
set(nodalux_desktop ${PROJECT_SOURCE_DIR}/resources/desktop)
set(nodalux_icons ${PROJECT_SOURCE_DIR}/resources/icons)
install(FILES ${nodalux_desktop}/${NODALUX_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 32 48 64 128 256)
  install(FILES ${nodalux_icons}/${NODALUX_APP_ID}-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME ${NODALUX_APP_ID}.png)
endforeach()
install(FILES ${nodalux_icons}/${NODALUX_APP_ID}.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
configure_file(${nodalux_desktop}/${NODALUX_APP_ID}.metainfo.xml.in
  ${CMAKE_BINARY_DIR}/${NODALUX_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/${NODALUX_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Documents: man pages, the copyright and the change log, compressed as
# Debian wants them (gzip -9n: no name or time stamp inside).
find_program(NODALUX_GZIP gzip REQUIRED)
add_custom_target(nodalux_docs ALL)
function(nodalux_install_gzipped source destination)
  get_filename_component(name ${source} NAME)
  set(out ${CMAKE_BINARY_DIR}/docs/${name}.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/docs
    COMMAND ${NODALUX_GZIP} -9nc ${source} > ${out}
    DEPENDS ${source} VERBATIM)
  target_sources(nodalux_docs PRIVATE ${out})
  install(FILES ${out} DESTINATION ${destination})
endfunction()

# nodalux_install_man(PAGE): a man page, by the section its name ends in.
function(nodalux_install_man page)
  string(REGEX MATCH "[0-9]$" section ${page})
  nodalux_install_gzipped(${page} ${CMAKE_INSTALL_MANDIR}/man${section})
endfunction()

nodalux_install_man(${PROJECT_SOURCE_DIR}/resources/man/nodalux.1)
nodalux_install_man(${PROJECT_SOURCE_DIR}/tools/batch/nodalux-batch.1)
set(nodalux_package ${PROJECT_SOURCE_DIR}/resources/package)
configure_file(${nodalux_package}/copyright.in ${CMAKE_BINARY_DIR}/package/copyright @ONLY)
configure_file(${nodalux_package}/changelog.in ${CMAKE_BINARY_DIR}/package/changelog @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/package/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/nodalux)
nodalux_install_gzipped(${CMAKE_BINARY_DIR}/package/changelog ${CMAKE_INSTALL_DATADIR}/doc/nodalux)

# The Debian package. Its dependencies come from dpkg-shlibdeps, plus the Qt
# platform plugins that the Qt backend loads at run time (no ELF file names
# them, so dpkg-shlibdeps cannot see them).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME nodalux)
set(CPACK_PACKAGE_VENDOR ${NODALUX_DEVELOPER})
set(CPACK_PACKAGE_CONTACT ${NODALUX_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${NODALUX_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(TARGET zarvane_qt)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"pick the points of interest inside a circle from POI files
Nodalux is for people who keep collections of points of interest (POI)
for road navigation. It reads AutoRoute CSV files and TomTom OV2 overlay
files into one table, keeps the POI that lie within a circle (a centre
given as latitude and longitude, a radius in statute miles), and saves
that group as AutoRoute CSV or as a TomTom OV2 overlay.

It is a Qt desktop program; the same program runs without a display
under a script, for automation.")
include(CPack)
