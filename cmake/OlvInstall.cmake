# What `cmake --install` puts in place, and the Debian package made from it (`cpack -G DEB`):
# the program, its desktop entry, AppStream metainfo, hicolor icons, the user guide where
# Help > User Guide finds it, and the manual page.
include(GNUInstallDirs)

set(OLV_APP_ID project.olvessa.Olvessa)
set(OLV_ASSETS ${PROJECT_SOURCE_DIR}/assets)

install(TARGETS olvessa RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${OLV_ASSETS}/${OLV_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${OLV_ASSETS}/${OLV_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${OLV_ASSETS}/icons/${OLV_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
    install(FILES ${OLV_ASSETS}/icons/${OLV_APP_ID}-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${OLV_APP_ID}.png)
endforeach()
install(FILES ${CMAKE_BINARY_DIR}/bin/manual.pdf DESTINATION ${OLV_GUIDE_INSTALL_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/docs/olvessa.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_PACKAGE_NAME olvessa)
set(CPACK_PACKAGE_VENDOR "Olvessa.project")
set(CPACK_PACKAGE_CONTACT "Olvessa.project developers <developers@olvessa.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "time tracker for freelancers who bill by the hour")
set(CPACK_PACKAGE_DESCRIPTION
    "Clients, projects with an hourly rate, objectives and tasks; a timer per task counts into \
daily time entries; figures, printed reports and a to-do list; one SQLite file.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION office)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The engine is loaded at run time, so no library link names it; the launcher opens the guide.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libsqlite3-0, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation, libxss1")
include(CPack)
