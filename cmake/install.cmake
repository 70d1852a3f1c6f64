# A Linux install: the programs in bin/, their shipped files in share/lexmora/ (where an installed
# copy looks for them), a desktop entry with its icon, AppStream metadata and the man page; CPack
# turns the same rules into a .deb.
include(GNUInstallDirs)
set(LEXMORA_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(LEXMORA_APP_ID io.github.lexmora.Lexmora)

install(TARGETS lexmora-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${CMAKE_INSTALL_DATADIR}/lexmora
        PATTERN README.txt EXCLUDE)
install(FILES ${LEXMORA_PACKAGING_DIR}/lexmora-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

if(LEXMORA_BUILD_UI)
    install(TARGETS lexmora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${LEXMORA_PACKAGING_DIR}/${LEXMORA_APP_ID}.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${LEXMORA_PACKAGING_DIR}/${LEXMORA_APP_ID}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    install(FILES ${LEXMORA_PACKAGING_DIR}/lexmora.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

    # The PNG sizes are drawn from the SVG at build time.
    set(LEXMORA_ICON_SIZES 16 24 32 48 64 128 256)
    set(LEXMORA_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
    add_executable(render_icon ${LEXMORA_PACKAGING_DIR}/render_icon.cpp)
    target_link_libraries(render_icon PRIVATE Qt6::Gui)
    lexmora_warnings(render_icon)
    set(LEXMORA_ICON_FILES)
    foreach(size ${LEXMORA_ICON_SIZES})
        list(APPEND LEXMORA_ICON_FILES ${LEXMORA_ICON_DIR}/${size}/lexmora.png)
    endforeach()
    add_custom_command(
        OUTPUT ${LEXMORA_ICON_FILES}
        COMMAND render_icon ${LEXMORA_PACKAGING_DIR}/lexmora.svg ${LEXMORA_ICON_DIR}
                ${LEXMORA_ICON_SIZES}
        DEPENDS render_icon ${LEXMORA_PACKAGING_DIR}/lexmora.svg
        COMMENT "Drawing the icon's PNG sizes")
    add_custom_target(lexmora_icons ALL DEPENDS ${LEXMORA_ICON_FILES})
    foreach(size ${LEXMORA_ICON_SIZES})
        install(FILES ${LEXMORA_ICON_DIR}/${size}/lexmora.png
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
endif()

# --- the .deb ---------------------------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lexmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "KWIC-LEXMORA developers <lexmora@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keywords in context and word frequencies in plain text files")
# Debian wants the long description wrapped; each line break becomes a continuation line.
set(CPACK_PACKAGE_DESCRIPTION
    "A concordancer for English, French, German, Italian and Spanish texts: keywords\n\
in context with sorting, thinning, collocation, extracts and printing, and word\n\
frequencies with norms per million. Desktop program lexmora and command line\n\
lexmora-cli.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# dpkg-shlibdeps names the Debian packages of the libraries the programs link.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The desktop cannot open a window without the platform plugins, which Qt only recommends.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
include(CPack)
