# Installing Ampliro as Linux audio programs are installed, and its Debian
# package:
#
#   cmake --install build --prefix /usr/local       # or DESTDIR=... to stage
#   (cd build && cpack -G DEB)                      # ampliro_<version>_<arch>.deb
#
# Installed: bin/ampliro and bin/ampliro-render, the LV2 bundle in
# lib/lv2/ampliro.lv2/, the factory presets in share/ampliro/presets/, the
# desktop entry, the AppStream data, the icons, the manual pages, and the
# copyright and changelog files a Debian package carries.
# tools/check_package.sh builds the package and checks all of it.
include(GNUInstallDirs)

# Installing (and so cpack) takes what is built and builds nothing: the
# default target holds every test program, which a package does not need.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

# One reverse-DNS name for the desktop entry, the AppStream data and the icon.
set(AMPLIRO_APP_ID io.github.ampliro.Ampliro)
set(AMPLIRO_HOMEPAGE "https://ampliro.example/" CACHE STRING
    "The project's home page, for the package and the AppStream data")
set(AMPLIRO_SCREENSHOT_URL "${AMPLIRO_HOMEPAGE}screenshots" CACHE STRING
    "Where the pictures of docs/screenshots are published, for the AppStream data")
set(AMPLIRO_MAINTAINER "The Ampliro developers <maintainers@ampliro.example>" CACHE STRING
    "Name and address of the package's maintainer")
# The factory presets' files, written by tools/factory_presets.
get_property(AMPLIRO_FACTORY_PRESETS GLOBAL PROPERTY AMPLIRO_FACTORY_PRESET_FILES)

# A build folder is a portable copy: the program run from it (tools/run.sh)
# keeps its files beside itself, as it always did. The marker is never
# installed.
if(NOT EXISTS ${CMAKE_BINARY_DIR}/portable)
  file(WRITE ${CMAKE_BINARY_DIR}/portable
       "Ampliro started from this folder keeps its settings, sounds and recordings here.\n")
endif()

# The version --version prints is the project's; only that file needs it.
set_property(SOURCE ${CMAKE_SOURCE_DIR}/app/command_line.cpp APPEND PROPERTY
             COMPILE_DEFINITIONS AMPLIRO_VERSION="${PROJECT_VERSION}")

set(data_source ${CMAKE_SOURCE_DIR}/data)
set(data_build ${CMAKE_BINARY_DIR}/data)
file(MAKE_DIRECTORY ${data_build})

# The files that name the home page or the maintainer are filled in here.
configure_file(${data_source}/${AMPLIRO_APP_ID}.metainfo.xml.in
               ${data_build}/${AMPLIRO_APP_ID}.metainfo.xml @ONLY)
configure_file(${data_source}/debian/copyright.in ${data_build}/copyright @ONLY)
configure_file(${data_source}/debian/changelog.in ${data_build}/changelog @ONLY)

# Debian compresses manual pages and changelogs with gzip -9n (no name, no
# time stamp, so the same input gives the same bytes).
set(installed_data)
foreach(page ampliro.1 ampliro-render.1)
  add_custom_command(OUTPUT ${data_build}/${page}.gz
                     COMMAND gzip -9n -c ${data_source}/man/${page} > ${data_build}/${page}.gz
                     DEPENDS ${data_source}/man/${page} VERBATIM)
  list(APPEND installed_data ${data_build}/${page}.gz)
endforeach()
add_custom_command(OUTPUT ${data_build}/changelog.gz
                   COMMAND gzip -9n -c ${data_build}/changelog > ${data_build}/changelog.gz
                   DEPENDS ${data_build}/changelog VERBATIM)
list(APPEND installed_data ${data_build}/changelog.gz)

# The icon is drawn once, as SVG; the fixed sizes menus ask for are rendered
# from it with librsvg's rsvg-convert.
set(icon_svg ${data_source}/icons/${AMPLIRO_APP_ID}.svg)
set(AMPLIRO_ICON_SIZES 48 128 256)
find_program(AMPLIRO_RSVG_CONVERT rsvg-convert)
if(AMPLIRO_RSVG_CONVERT)
  foreach(size ${AMPLIRO_ICON_SIZES})
    set(png ${data_build}/icons/${size}/${AMPLIRO_APP_ID}.png)
    add_custom_command(OUTPUT ${png}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${data_build}/icons/${size}
                       COMMAND ${AMPLIRO_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${icon_svg}
                       DEPENDS ${icon_svg} VERBATIM)
    list(APPEND installed_data ${png})
  endforeach()
else()
  message(STATUS "rsvg-convert (Debian package librsvg2-bin) not found: "
                 "only the scalable icon will be installed")
endif()
add_custom_target(ampliro_install_data ALL DEPENDS ${installed_data})

# Programs.
install(TARGETS ampliro ampliro-render RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# LV2 hosts look in <prefix>/lib/lv2 (lilv's default path), not in the
# multiarch library folder GNUInstallDirs would choose on Debian.
set(lv2_destination lib/lv2/ampliro.lv2)
install(TARGETS ampliro_lv2 LIBRARY DESTINATION ${lv2_destination})
install(FILES ${AMPLIRO_LV2_PATH}/ampliro.lv2/manifest.ttl ${AMPLIRO_LV2_PATH}/ampliro.lv2/ampliro.ttl
        DESTINATION ${lv2_destination})

# Factory presets: read-only, beside the user's own in the Presets list.
install(DIRECTORY DESTINATION ${CMAKE_INSTALL_DATADIR}/ampliro/presets)
if(AMPLIRO_FACTORY_PRESETS)
  install(FILES ${AMPLIRO_FACTORY_PRESETS} DESTINATION ${CMAKE_INSTALL_DATADIR}/ampliro/presets
          PERMISSIONS OWNER_READ GROUP_READ WORLD_READ)
endif()

# Desktop integration.
install(FILES ${data_source}/${AMPLIRO_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${data_build}/${AMPLIRO_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${icon_svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
if(AMPLIRO_RSVG_CONVERT)
  foreach(size ${AMPLIRO_ICON_SIZES})
    install(FILES ${data_build}/icons/${size}/${AMPLIRO_APP_ID}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
endif()

# Manual pages, licence and history.
install(FILES ${data_build}/ampliro.1.gz ${data_build}/ampliro-render.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${data_build}/copyright ${data_build}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/ampliro)

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ampliro)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${AMPLIRO_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${AMPLIRO_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${AMPLIRO_MAINTAINER})
# The libraries' own packages, found by dpkg-shlibdeps from what the
# programs and the plugin link.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "guitar multi-effects processor with tuner, metronome and looper
Ampliro passes a guitar's sound through a chain of nine effect pedals
(overdrive, parametric EQ, pitch shifter, phaser, chorus, delay, reverb,
tremolo and graphic EQ) in real time, through JACK, PulseAudio or PipeWire.
It keeps sounds as presets, follows a MIDI foot controller, and has a
chromatic tuner, a metronome and a loop recorder.
.
The package also holds the nine pedals as LV2 plugins and ampliro-render,
which runs a recording through them offline.")
include(CPack)
