# SPDX-License-Identifier: GPL-3.0-or-later

# Installation in the usual places and a Debian package built with CPack.
#   cmake --install BUILD                  the program, menu entry, metainfo, icons, manual,
#                                          licence
#   cmake --build BUILD --target package   BUILD/velmora_<version>_<arch>.deb (or make package)
include(GNUInstallDirs)

# One name for the menu entry, the metainfo, the icon and the window's desktop file.
set(VELMORA_APP_ID org.velmora.Velmora)
target_compile_definitions(velmora PRIVATE VELMORA_APP_ID="${VELMORA_APP_ID}")

install(TARGETS velmora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES data/${VELMORA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/${VELMORA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY data/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES src/ui/resources/ear.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${VELMORA_APP_ID}.svg)
install(FILES data/velmora.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The licence where a Debian package keeps it, as the copyright file of its
# documentation folder.
install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velmora RENAME copyright)

set(VELMORA_MAINTAINER "Velmora developers <developers@velmora.org>"
    CACHE STRING "Maintainer named in the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR "The Velmora developers")
set(CPACK_PACKAGE_CONTACT "${VELMORA_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "ear trainer: hear notes and chords, name their pitches")
# Lines of the Debian package's long description, as apt shows them.
set(CPACK_PACKAGE_DESCRIPTION [=[
Velmora plays single notes or chords through a General MIDI synthesizer,
and you name the pitch classes you heard on twelve buttons or twelve letter
keys. It grades every answer, asks a wrong one again, and keeps the score,
a table of every attempt and a practice timer.

It has 22 graded exercises, the ranges of piano, guitars and basses, and a
drill that plays one pitch in random octaves on random instruments. It
sounds out of the box with FluidSynth and the system's General MIDI
SoundFont, or plays through an external MIDI port.]=])
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VELMORA_MAINTAINER}")
# The shared libraries (Qt, FluidSynth, RtMidi, ALSA) come from dpkg-shlibdeps;
# the SoundFont is loaded at run time, so it is named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "timgm6mb-soundfont | fluid-soundfont-gm | sf2-soundfont-gm | sf3-soundfont-gm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
