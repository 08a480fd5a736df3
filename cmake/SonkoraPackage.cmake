# The Debian package: `cpack -G DEB` in the build folder writes
# sonkora_VERSION_ARCH.deb from what `cmake --install` installs, under /usr.
set(CPACK_PACKAGE_NAME sonkora)
set(CPACK_PACKAGE_VENDOR "The Sonkora developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "make karaoke files from song texts and MIDI files")
set(CPACK_PACKAGE_DESCRIPTION "\
Sonkora makes Soft Karaoke files (.kar) that karaoke players show syllable
by syllable. A song text names a standard MIDI file and its melody track and
holds the lyrics split into syllables; Sonkora binds each syllable to the
next note of the melody, or to a time written in the text.
.
Around the compiler stand an editor with a lyric preview, playback with the
sung syllables highlighted, a track audition for choosing the melody track,
import of existing karaoke files back into song texts, hyphenation by
patterns in twenty languages, find and replace, and printing. The command
sonkorac does the same work without a window.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${SONKORA_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from the binaries; what they load at run time by name does not:
# the General MIDI sound font of the built-in synthesizer (any package that provides
# one registers it as default-GM.sf2) and the font the tool bar icons are drawn in.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "timgm6mb-soundfont | sf2-soundfont-gm, fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
