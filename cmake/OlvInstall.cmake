# What `cmake --install` puts in place, and the Debian package made from it (`cpack -G DEB`):
# the program, its desktop entry, AppStream metainfo, hicolor icons, the user guide where
# Help > User Guide finds it, the compressed manual page, and the copyright and changelog files
# a Debian package carries in its documentation folder.
include(GNUInstallDirs)
# Folders the install makes are 0755 whatever the umask of whoever builds the package.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                                GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# cpack and `make install` take the build as it is instead of building everything again first:
# the install test packages the build it checks, and the build is done by then.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

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

# gzip -n leaves out the name and time stamp, so the same sources give the same files.
set(OLV_PACKAGED ${CMAKE_BINARY_DIR}/packaged)
function(olv_gzip source target)
    add_custom_command(OUTPUT ${OLV_PACKAGED}/${target}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${OLV_PACKAGED}
                       COMMAND gzip -9nc ${source} > ${OLV_PACKAGED}/${target}
                       DEPENDS ${source}
                       VERBATIM)
endfunction()
olv_gzip(${PROJECT_SOURCE_DIR}/docs/olvessa.1 olvessa.1.gz)
olv_gzip(${PROJECT_SOURCE_DIR}/debian/changelog changelog.gz)
add_custom_target(packaged_docs ALL DEPENDS ${OLV_PACKAGED}/olvessa.1.gz
                                            ${OLV_PACKAGED}/changelog.gz)
install(FILES ${OLV_PACKAGED}/olvessa.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
set(OLV_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/olvessa)
install(FILES ${PROJECT_SOURCE_DIR}/debian/copyright ${OLV_PACKAGED}/changelog.gz
        DESTINATION ${OLV_DOC_DIR})

set(CPACK_PACKAGE_NAME olvessa)
set(CPACK_PACKAGE_VENDOR "Olvessa.project")
set(CPACK_PACKAGE_CONTACT "Olvessa.project developers <developers@olvessa.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "time tracker for freelancers who bill by the hour")
# Lines of the extended description stay under 80 characters, as Debian's tools show them.
set(CPACK_PACKAGE_DESCRIPTION
    "Olvessa.project keeps your work as a tree of clients, projects with an hourly
rate, objectives and tasks. A timer per task counts into daily time entries,
billed or not. It shows the time and money per client, project and objective,
prints reports and a to-do list, and keeps everything in one SQLite file.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The engine is loaded at run time, so no library link names it; the launcher opens the guide.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libsqlite3-0, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation")
include(CPack)
