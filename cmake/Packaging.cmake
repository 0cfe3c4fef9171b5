# The Debian package: `cpack -G DEB` in a build folder packs what `cmake --install` installs.
# Configure that folder with -DCMAKE_INSTALL_PREFIX=/usr (tools/package does), so that the
# paths built into the programs and the manual pages are those of the package.
set(PIVORA_MAINTAINER "Velmora <pivora@velmora.example>" CACHE STRING "Maintainer of the Debian package")

set(CPACK_PACKAGE_NAME pivora)
set(CPACK_PACKAGE_VENDOR Velmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${PIVORA_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turn JPEG photos a quarter turn counter-clockwise without quality loss")
# Wrapped by hand: the package tools show each line as it stands.
set(CPACK_PACKAGE_DESCRIPTION [=[
Pivora turns JPEG photographs a quarter turn counter-clockwise without
re-encoding them: the compressed image is turned block by block, so no
quality is lost. The Exif thumbnail is turned too, the Exif block and the
comment are kept, and the file times are restored or set to the date the
picture was taken. A photograph is replaced in one step, never left half
written.

The package holds the window program pivora and the console program
pivora-cli.]=])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${PIVORA_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Dependencies come from the libraries the binaries link (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
