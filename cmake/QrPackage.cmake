# The Debian package: `cpack -G DEB` in a built tree gives quadrant-rush_<version>_amd64.deb
# with the install tree under /usr, the program stripped and its dependencies worked out from
# the libraries it links (dpkg-shlibdeps, from dpkg-dev). scripts/package.sh configures a tree
# for it, with the command in games/ as Debian keeps games.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quadrant-rush)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "The Quadrant Rush developers <quadrant-rush@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "arcade tile puzzle against a countdown timer")
# The extended description; the summary above becomes its first line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Push the tile under the cursor into a neighbouring cell of a 7 x 7 board to
exchange the two; three equal tiles in a row or a column clear and leave a
hole. Every clear refills the countdown timer, a little less each time; clear
the board's quota for a new board with a larger one. Three difficulties, the
best ten and last ten scores of each, and keyboard, mouse and game pad
controls.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # <name>_<version>_<architecture>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
