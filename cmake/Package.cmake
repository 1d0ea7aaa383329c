# Installation and the Debian package.
#
# Under the prefix (/usr for the package):
#   lib/ktusko/            the program folder: executable, Config.ini, Resources, Readme.txt, Whatsnew.txt
#   games/ktusko           launcher on the PATH: a link to the executable (the program finds its
#                          folder from the executable's real path)
#   share/applications, share/icons/hicolor, share/metainfo, share/man/man6, share/doc/ktusko,
#   share/ktusko/screenshots (the metainfo's pictures)
# The program only reads its folder; settings go to each user's settings store.
include(GNUInstallDirs)
# Installing (and cpack) takes what is built; it does not build the tests and benchmarks first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)
set(KT_INSTALL_PROGRAM_DIR lib/ktusko CACHE STRING "Program folder under the prefix")
set(KT_INSTALL_LAUNCHER_DIR games CACHE STRING "Folder of the launcher link under the prefix")
set(KT_PACKAGE_DIR ${CMAKE_SOURCE_DIR}/data/package)
set(KT_PACKAGE_WORK ${CMAKE_BINARY_DIR}/package)
file(MAKE_DIRECTORY ${KT_PACKAGE_WORK})

# The studio's name, e-mail address and web site come from the header the program shows them from,
# so the package's maintainer, changelog, copyright and metainfo always say what the game says.
set(KT_STUDIO_HEADER ${CMAKE_SOURCE_DIR}/src/app/studio.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${KT_STUDIO_HEADER})
file(READ ${KT_STUDIO_HEADER} KT_STUDIO_TEXT)
foreach(field Name Email Website)
  if(NOT KT_STUDIO_TEXT MATCHES "kStudio${field} = \"([^\"]+)\"")
    message(FATAL_ERROR "kStudio${field} not found in ${KT_STUDIO_HEADER}")
  endif()
  string(TOUPPER ${field} upper)
  set(KT_STUDIO_${upper} "${CMAKE_MATCH_1}")
endforeach()
set(KT_STUDIO_MAINTAINER "${KT_STUDIO_NAME} <${KT_STUDIO_EMAIL}>")
foreach(f changelog copyright org.zandrel.ktusko.metainfo.xml)
  configure_file(${KT_PACKAGE_DIR}/${f}.in ${KT_PACKAGE_WORK}/${f} @ONLY)
endforeach()

# The icon: the handheld of the default skin's drawing, as SVG and in the usual PNG sizes.
set(KT_ICON_SIZES 16 24 32 48 64 128 256)
set(KT_ICON_SVG ${KT_PACKAGE_WORK}/icons/ktusko.svg)
set(KT_ICON_OUTPUTS ${KT_ICON_SVG})
set(KT_ICON_COMMANDS
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KT_PACKAGE_WORK}/icons
  COMMAND ${CMAKE_COMMAND} -DIN=${CMAKE_SOURCE_DIR}/data/skin/skin.svg -DOUT=${KT_ICON_SVG}
          -P ${CMAKE_SOURCE_DIR}/cmake/MakeIcon.cmake)
foreach(size ${KT_ICON_SIZES})
  list(APPEND KT_ICON_OUTPUTS ${KT_PACKAGE_WORK}/icons/ktusko-${size}.png)
  list(APPEND KT_ICON_COMMANDS COMMAND svg2png ${KT_ICON_SVG} ${KT_PACKAGE_WORK}/icons/ktusko-${size}.png ${size} ${size})
endforeach()
# The same pictures in one icon file for the Windows program's resources (16 to 256 pixels).
add_executable(png2ico ${CMAKE_SOURCE_DIR}/tools/png2ico/png2ico.cpp)
set(KT_ICON_ICO ${KT_PACKAGE_WORK}/icons/ktusko.ico)
list(APPEND KT_ICON_OUTPUTS ${KT_ICON_ICO})
set(KT_ICON_PNGS ${KT_ICON_OUTPUTS})
list(FILTER KT_ICON_PNGS INCLUDE REGEX "\\.png$")
list(APPEND KT_ICON_COMMANDS COMMAND png2ico ${KT_ICON_ICO} ${KT_ICON_PNGS})
# Compressed the way Debian wants them: best compression, no name or time stamp inside.
set(KT_CHANGELOG_GZ ${KT_PACKAGE_WORK}/changelog.Debian.gz)
set(KT_MANPAGE_GZ ${KT_PACKAGE_WORK}/ktusko.6.gz)
add_custom_command(OUTPUT ${KT_ICON_OUTPUTS} ${KT_CHANGELOG_GZ} ${KT_MANPAGE_GZ}
  ${KT_ICON_COMMANDS}
  COMMAND sh -c "gzip -9nc '${KT_PACKAGE_WORK}/changelog' >'${KT_CHANGELOG_GZ}'"
  COMMAND sh -c "gzip -9nc '${KT_PACKAGE_DIR}/ktusko.6' >'${KT_MANPAGE_GZ}'"
  DEPENDS svg2png png2ico ${CMAKE_SOURCE_DIR}/data/skin/skin.svg ${CMAKE_SOURCE_DIR}/cmake/MakeIcon.cmake
          ${KT_PACKAGE_WORK}/changelog ${KT_PACKAGE_DIR}/ktusko.6
  COMMENT "Generating the icons and the compressed documents of the installation"
  VERBATIM)
add_custom_target(kt_install_files ALL DEPENDS ${KT_ICON_OUTPUTS} ${KT_CHANGELOG_GZ} ${KT_MANPAGE_GZ})
if(TARGET kt_default_skin)
  add_dependencies(kt_default_skin kt_install_files)
endif()

# The launcher: a relative link, so the installation can be moved as a whole (DESTDIR, a package).
file(RELATIVE_PATH KT_LAUNCHER_TARGET /${KT_INSTALL_LAUNCHER_DIR} /${KT_INSTALL_PROGRAM_DIR}/ktusko)
file(MAKE_DIRECTORY ${KT_PACKAGE_WORK}/launcher)
file(CREATE_LINK ${KT_LAUNCHER_TARGET} ${KT_PACKAGE_WORK}/launcher/ktusko SYMBOLIC)

set(KT_FILE_PERMS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
set(KT_DIR_PERMS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(TARGETS ktusko RUNTIME DESTINATION ${KT_INSTALL_PROGRAM_DIR})
install(FILES ${KT_PROGRAM_DIR}/Config.ini ${KT_PROGRAM_DIR}/Readme.txt ${KT_PROGRAM_DIR}/Whatsnew.txt
  DESTINATION ${KT_INSTALL_PROGRAM_DIR} PERMISSIONS ${KT_FILE_PERMS})
install(DIRECTORY ${KT_PROGRAM_DIR}/Resources DESTINATION ${KT_INSTALL_PROGRAM_DIR}
  FILE_PERMISSIONS ${KT_FILE_PERMS} DIRECTORY_PERMISSIONS ${KT_DIR_PERMS})
install(FILES ${KT_PACKAGE_WORK}/launcher/ktusko DESTINATION ${KT_INSTALL_LAUNCHER_DIR})
install(FILES ${KT_PACKAGE_DIR}/org.zandrel.ktusko.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
  PERMISSIONS ${KT_FILE_PERMS})
install(FILES ${KT_PACKAGE_WORK}/org.zandrel.ktusko.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
  PERMISSIONS ${KT_FILE_PERMS})
# The pictures the metainfo shows in software centres (scripts/screenshot.sh makes them).
install(FILES ${KT_PACKAGE_DIR}/screenshots/handheld.png DESTINATION ${CMAKE_INSTALL_DATADIR}/ktusko/screenshots
  PERMISSIONS ${KT_FILE_PERMS})
install(FILES ${KT_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
  PERMISSIONS ${KT_FILE_PERMS})
foreach(size ${KT_ICON_SIZES})
  install(FILES ${KT_PACKAGE_WORK}/icons/ktusko-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ktusko.png
    PERMISSIONS ${KT_FILE_PERMS})
endforeach()
install(FILES ${KT_MANPAGE_GZ} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 PERMISSIONS ${KT_FILE_PERMS})
install(FILES ${KT_PROGRAM_DIR}/Readme.txt ${KT_PROGRAM_DIR}/Whatsnew.txt ${KT_PACKAGE_WORK}/copyright
              ${KT_CHANGELOG_GZ}
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/ktusko PERMISSIONS ${KT_FILE_PERMS})

# The Debian package (cpack -G DEB): library dependencies found by dpkg-shlibdeps, plus what the
# program loads by other means: Qt's X11 platform plugin, the fonts of the stage intro screen, and
# SDL2 and SDL2_mixer (loaded once the program runs; their packages by their shlibs entries).
# dpkg-shlibdeps runs on the executable alone (PackageDepends.cmake, at packaging time): CPack's own
# search would run `file` on each of the skins' two thousand pictures and sounds first.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ktusko)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "${KT_STUDIO_NAME}")
set(CPACK_PACKAGE_CONTACT "${KT_STUDIO_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "full-screen simulation of a two-screen handheld LCD game")
set(CPACK_PACKAGE_DESCRIPTION "Kellup Tusko Lumo Special Edition shows the opened handheld over the whole
screen; every mark its liquid-crystal screens can show is a segment that is
either dark or clear, just as on the real device. Jump over barrels, dodge
irons and leap onto the crane hook to bring Tusko down, in four stages with
their own look and sounds. Game A, Game B and the clock work as on the device.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KT_STUDIO_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${KT_STUDIO_WEBSITE}")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation")
set(KT_PACKAGED_EXECUTABLE ${KT_PROGRAM_DIR}/ktusko)
configure_file(${CMAKE_SOURCE_DIR}/cmake/PackageDepends.cmake.in ${KT_PACKAGE_WORK}/PackageDepends.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${KT_PACKAGE_WORK}/PackageDepends.cmake)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
