# The Debian package: `cpack -G DEB` in a configured build tree (scripts/package.sh
# makes a Release build and runs it). Depends are read from the installed binaries
# by dpkg-shlibdeps, so they follow the Qt, Qt WebEngine and libmpv the build used.
set(CPACK_PACKAGE_NAME "tesmira")
set(CPACK_PACKAGE_VENDOR "The Tesmira developers")
set(CPACK_PACKAGE_CONTACT "The Tesmira developers <support@tesmira.example.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://tesmira.example.org")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "player for dashboard camera films with their GPS track")
set(CPACK_PACKAGE_DESCRIPTION
    "Tesmira plays the films that car dashboard cameras record and shows, in step with the picture, "
    "the track and a moving marker on a map, a speedometer, a compass and a G-sensor chart. It reads "
    "the records dashcams embed in their films, GoPro telemetry and GPX or NMEA logs, and exports a "
    "track as GPX, KML, CSV or JSON.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # tesmira_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION "video")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# desktop-file-utils' trigger writes the MIME cache that makes Tesmira an "Open with"
# choice for films; hicolor-icon-theme holds the folders the icons go into.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "desktop-file-utils, hicolor-icon-theme")

include(CPack)
