# What a user's machine gets beyond the programs: manual pages, the AppStream
# metadata, shell completion, the icon at the usual sizes; and the Debian package
# made of all of it ("make package").

set(resources ${CMAKE_SOURCE_DIR}/resources)
set(generated ${CMAKE_BINARY_DIR}/generated)

foreach(page checkwell.1 checkwell-verify.1)
  configure_file(${resources}/man/${page} ${generated}/man/${page} @ONLY)
  install(FILES ${generated}/man/${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

configure_file(${resources}/org.example.checkwell.metainfo.xml
               ${generated}/org.example.checkwell.metainfo.xml @ONLY)
install(FILES ${generated}/org.example.checkwell.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

install(FILES ${resources}/completion/checkwell-verify
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${resources}/icons/checkwell-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME checkwell.png)
endforeach()
install(FILES ${resources}/icons/checkwell.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME checkwell)
set(CPACK_PACKAGE_VENDOR "${CHECKWELL_COMPANY_NAME}")
set(CPACK_PACKAGE_CONTACT "Checkwell developers <checkwell@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "verify and manage file sets that come with SFV checksum lists")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${CHECKWELL_SITE_URL}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The desktop's caches (menus, file types, icons) are refreshed by the triggers
# that these packages register for the folders our files go to.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "desktop-file-utils, shared-mime-info, hicolor-icon-theme")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "bash-completion")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "verify and manage file sets that come with SFV checksum lists
 Checkwell finds every SFV file below your folders, verifies each set by
 recomputing the CRC-32 of its files, and acts on whole sets: marks them Skip
 or Hide, moves or copies them to folders, per-set sub folders or tested zip
 archives, renames them, or sends them to the trash. A second window verifies
 one SFV file by file and repairs it. checkwell-verify verifies SFV files from
 scripts.")
# Only the programs and their files: no test or benchmark installs anything.
include(CPack)
