# The Debian package, built from a configured and built tree with
#   cd build && cpack -G DEB        ->  build/tunara_<version>_<arch>.deb
# It holds what `cmake --install` installs, under /usr, stripped. Its Depends
# are the shared libraries the program links (found by dpkg-shlibdeps) plus
# what it loads at run time, which no linker sees: Qt's platform plugins and
# QML modules, GStreamer's plugins, TLS for HTTPS streams, and fonts.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tunara)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "internet radio in the system tray")
# The long description in short lines, as Debian's control files have it.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Tunara is a small, fast internet-radio player that lives in the system"
  "tray. It plays one station of a short, ordered list at a time (MP3, AAC"
  "and Ogg streams over HTTP and HTTPS, HLS playlists and station playlist"
  "files), shows the stream's artist and title, and answers media keys and"
  "the desktop's media controls through MPRIS.")
set(TUNARA_PACKAGE_MAINTAINER "Tunara developers <tunara@localhost>"
    CACHE STRING "The Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT "${TUNARA_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(TUNARA_RUNTIME_DEPENDS
    qt6-qpa-plugins
    qml6-module-qtquick qml6-module-qtquick-controls qml6-module-qtquick-templates
    qml6-module-qtquick-layouts qml6-module-qtquick-window qml6-module-qtqml-workerscript
    gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad gstreamer1.0-libav
    glib-networking ca-certificates fonts-dejavu-core)
list(JOIN TUNARA_RUNTIME_DEPENDS ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
# ALSA output where no sound server runs; the station artwork's first font.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gstreamer1.0-alsa, qt6-wayland, fonts-roboto-unhinted, qt6-translations-l10n, qt6-image-formats-plugins")

include(CPack)
