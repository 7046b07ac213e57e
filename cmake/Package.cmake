# The Debian package (cpack -G DEB in the build folder, or ./build.sh deb):
# build/echobatch_<version>_<arch>.deb with everything the install rules put under /usr. The
# libraries it needs are found by dpkg-shlibdeps; SoX is started, never linked, so it is named.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME echobatch)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "echobatch developers <${ECHOBATCH_SUPPORT_EMAIL}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "add an echo to many MP3 files in one batch")
# Each line of the long description stays within 80 columns, as Debian's policy asks.
set(CPACK_PACKAGE_DESCRIPTION
    "echobatch runs SoX's echos effect over a list of MP3 files and writes each\n"
    "result as a new MP3 file into an output folder, keeping the input's tags. It\n"
    "has a window (echobatch) and a command-line tool for scripts and servers\n"
    "(echobatch-cli), which reads lists from other programs and reports each file\n"
    "as a JSON line.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${ECHOBATCH_WEB_URL})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "sox, libsox-fmt-mp3")
# Qt's own translations give the buttons of a box the user's language too.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)

include(CPack)
