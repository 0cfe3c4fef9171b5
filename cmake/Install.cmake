# Every install rule of the project: the programs, the help document, the desktop entry, the
# icon, the manual pages and the licence, in the usual Linux folder layout under any prefix.
# Included at the end of the top-level CMakeLists.txt, once every target exists.
include(GNUInstallDirs)

set(_packaging "${PROJECT_SOURCE_DIR}/packaging")

install(TARGETS pivora-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

configure_file("${_packaging}/man/pivora-cli.1.in" "${PROJECT_BINARY_DIR}/man/pivora-cli.1" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/man/pivora-cli.1" DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The licence, where Debian keeps each package's: doc/PACKAGE/copyright, in its machine-readable
# form (the LICENSE file's text). The folder is named after the package, not the project.
install(FILES "${_packaging}/debian/copyright" DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/pivora)

# What belongs to the window: a build without it installs no menu entry that leads nowhere.
if(TARGET pivora)
  install(TARGETS pivora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # The window looks for its help document next to the executable and in the data folder.
  set(_help_document "${PROJECT_SOURCE_DIR}/app/help/pivora_help.html")
  if(EXISTS "${_help_document}")
    install(FILES "${_help_document}" DESTINATION ${CMAKE_INSTALL_DATADIR}/pivora RENAME PIVORA.HLP)
  endif()

  install(FILES "${_packaging}/pivora.desktop" DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

  # The PNGs are rendered once from the SVG and committed, so that the build needs no rasterizer:
  #   rsvg-convert -w N -h N packaging/icons/pivora.svg -o packaging/icons/NxN/pivora.png
  set(_icons ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
  install(FILES "${_packaging}/icons/pivora.svg" DESTINATION ${_icons}/scalable/apps)
  foreach(_size 48x48 256x256)
    install(FILES "${_packaging}/icons/${_size}/pivora.png" DESTINATION ${_icons}/${_size}/apps)
  endforeach()

  configure_file("${_packaging}/man/pivora.1.in" "${PROJECT_BINARY_DIR}/man/pivora.1" @ONLY)
  install(FILES "${PROJECT_BINARY_DIR}/man/pivora.1" DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

if(PIVORA_BUILD_TESTS)
  # Installs into a temporary prefix and checks the result; one test per part, so that a part
  # whose tool is missing is skipped alone. Installs write the build folder's manifest, so the
  # parts take turns.
  if(TARGET pivora)
    set(_with_app 1)
  else()
    set(_with_app 0)
  endif()
  foreach(_part files desktop man version)
    add_test(NAME install_${_part}
             COMMAND "${PROJECT_SOURCE_DIR}/tests/install_test.sh" ${_part} "${PROJECT_BINARY_DIR}")
    set_tests_properties(install_${_part} PROPERTIES
      LABELS install
      SKIP_RETURN_CODE 77
      RESOURCE_LOCK pivora_install_manifest
      TIMEOUT 120
      ENVIRONMENT "CMAKE_COMMAND=${CMAKE_COMMAND};PIVORA_VERSION=${PROJECT_VERSION};PIVORA_WITH_APP=${_with_app};PIVORA_BINDIR=${CMAKE_INSTALL_BINDIR};PIVORA_DATADIR=${CMAKE_INSTALL_DATADIR};PIVORA_MANDIR=${CMAKE_INSTALL_MANDIR};PIVORA_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
  endforeach()
endif()

include(${CMAKE_CURRENT_LIST_DIR}/Packaging.cmake)
