# What `cmake --install` lays out under its prefix, as Debian lays out a program: bin/vektara, the
# player in lib/vektara/, the shipped files in share/vektara/, the desktop entry, its metainfo,
# the icons and the manual page; and the Debian package of it (`make package`, CPack's DEB).
set(VKT_APP_ID org.vektara.Vektara)
# The program names its desktop entry by it: desktops find its entry and icon so (a Wayland app id).
target_compile_definitions(vektara PRIVATE VKT_APP_ID="${VKT_APP_ID}")
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS vektara RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS vkt-emfplay RUNTIME DESTINATION ${VKT_PLAYER_DIR})
install(FILES ${_shipped_layouts} DESTINATION ${VKT_DATA_DIR}/layouts)
install(FILES ${_shipped_help} DESTINATION ${VKT_DATA_DIR}/help)
install(FILES ${_shipped_samples} DESTINATION ${VKT_DATA_DIR}/samples)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/${VKT_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${CMAKE_CURRENT_LIST_DIR}/${VKT_APP_ID}.metainfo.xml
               ${CMAKE_BINARY_DIR}/packaging/${VKT_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${VKT_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(_size 16 22 24 32 48 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/app/${_size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps RENAME ${VKT_APP_ID}.png)
endforeach()

# The manual page and the changelog (packaging/changelog, where a release is made) compressed as
# Debian's policy asks (gzip -9n: no name, no time).
configure_file(${CMAKE_CURRENT_LIST_DIR}/vektara.1 ${CMAKE_BINARY_DIR}/packaging/vektara.1 @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog ${CMAKE_BINARY_DIR}/packaging/changelog COPYONLY)
set(_compressed)
foreach(_name vektara.1 changelog)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/${_name}.gz
                     COMMAND gzip -9nf -k ${CMAKE_BINARY_DIR}/packaging/${_name}
                     DEPENDS ${CMAKE_BINARY_DIR}/packaging/${_name})
  list(APPEND _compressed ${CMAKE_BINARY_DIR}/packaging/${_name}.gz)
endforeach()
add_custom_target(vkt_package_files ALL DEPENDS ${_compressed})
install(FILES ${CMAKE_BINARY_DIR}/packaging/vektara.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz ${CMAKE_CURRENT_LIST_DIR}/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vektara)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vektara)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${VKT_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "kitchen database of ingredients, recipes and menus with their costs")
set(CPACK_PACKAGE_DESCRIPTION
    "Vektara keeps a kitchen's ingredients, recipes and menus in a class tree\n"
    "and costs them from the buy prices through the recipes to the menus. It\n"
    "keeps monthly and yearly price history and stock-taking sheets, imports\n"
    "records from CSV files, edits memos as rich text and prints food lists,\n"
    "recipe cost sheets and menus from a page-layout designer. Its user\n"
    "interface is Japanese.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beyond the libraries shlibdeps names (the CUPS client library and Qt's GUI library, which holds
# the X platform plugin, among them): Qt's further platform plugins and a font that draws Japanese.
# Qt's Wayland platform plugin (a Wayland desktop runs the program natively with it, else through
# XWayland), Qt's own dialogs in Japanese and the opener of the help pages are recommended.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, qt6-translations-l10n, xdg-utils")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_INSTALL_DIRECTORY vektara)
include(CPack)
