# Install rules and the Debian package (scripts/package). Installed, the
# programs find their files (help pages, picture of the blank form) in
# share/sfwaybill; in the build tree the same files are copied beside the
# programs and the tests.
include(GNUInstallDirs)

set(SF_APP_ID cn.example.lufan_waybill.sfwaybill)
set(SF_FILES_DIR ${CMAKE_INSTALL_DATADIR}/sfwaybill)
set(SF_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})
set(SF_BLANK_FORM ${CMAKE_SOURCE_DIR}/waybill/assets/sf_blank_form.jpg)
set(SF_HELP ${CMAKE_SOURCE_DIR}/app/help)

file(RELATIVE_PATH sf_files_from_bindir ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_DATADIR}/sfwaybill)
target_compile_definitions(sfstore PRIVATE SF_FILES_FROM_BINDIR="${sf_files_from_bindir}")

set(sf_beside $<TARGET_FILE_DIR:sfwaybill>)
if(TARGET sftestsupport)
  get_target_property(sf_tests_dir sftestsupport BINARY_DIR)
  list(APPEND sf_beside ${sf_tests_dir})
endif()
set(sf_copy_commands)
foreach(dir ${sf_beside})
  list(APPEND sf_copy_commands
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${SF_HELP} ${dir}/help
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${SF_BLANK_FORM} ${dir})
endforeach()
add_custom_target(sf-program-files ALL ${sf_copy_commands}
  COMMENT "Copying the help pages and the blank-form picture beside the programs")
add_dependencies(sfwaybill sf-program-files)

install(TARGETS sfwaybill sfwaybill-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# sfwaybill-cli's commands, which it finds there (app/cli_start.cpp).
get_target_property(sf_cli_commands_type sfwaybill-cli-commands TYPE)
if(sf_cli_commands_type STREQUAL "MODULE_LIBRARY")
  install(TARGETS sfwaybill-cli-commands LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/sfwaybill)
endif()
install(DIRECTORY ${SF_HELP} DESTINATION ${SF_FILES_DIR})
install(FILES ${SF_BLANK_FORM} DESTINATION ${SF_FILES_DIR})
# The built-in templates, for shops and tools that start from one.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/waybill/templates/ DESTINATION ${SF_FILES_DIR}/templates
        FILES_MATCHING PATTERN "*.json")
install(FILES ${SF_PACKAGING_DIR}/${SF_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${SF_PACKAGING_DIR}/${SF_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${SF_PACKAGING_DIR}/icons/sfwaybill.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 48 128)
  install(FILES ${SF_PACKAGING_DIR}/icons/sfwaybill-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME sfwaybill.png)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sfwaybill)
set(CPACK_PACKAGE_VENDOR Lufan)
set(CPACK_PACKAGE_CONTACT "Lufan <support@lufan-waybill.example.cn>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "prints SF express waybills on pre-printed forms")
set(CPACK_PACKAGE_DESCRIPTION
    "鹿帆顺丰快递单打印软件: keeps a sender record and an address book of recipients, imports \
recipients from spreadsheets, and prints SF waybills one at a time or in batches on the \
courier's pre-printed 216 x 140 mm forms, shifted and in a font to match the form. \
The interface is in Simplified Chinese.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://lufan-waybill.example.cn/)
# Libraries come from dpkg-shlibdeps; these are loaded at run time: the
# SQLite driver, the faces that stand in for the form's fonts and those of
# rare characters (Hanazono).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6sql6-sqlite, fonts-arphic-uming, fonts-hanazono, fonts-liberation, fonts-dejavu-core")
# The PostgreSQL driver only for desks that share a server store.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, cups, libqt6sql6-psql")
include(CPack)

if(SF_BUILD_TESTS)
  add_test(NAME package_test
           COMMAND ${SF_PACKAGING_DIR}/package_test ${CMAKE_BINARY_DIR})
  set_tests_properties(package_test PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77 LABELS package)
endif()
