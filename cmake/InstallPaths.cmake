# Where the installed programs find their private files. The programs look
# for them relative to their own folder, so an installed tree can be moved
# (or installed with another prefix) and still finds its parts.
#
#   bin/msgdesk, bin/msgdesk-cli       the programs
#   libexec/msgdesk/update             the updater (not under its generic name in bin/)
#   <libdir>/msgdesk/                  the device support libraries, bin/ the backup tool
#   share/msgdesk/translations/        the translations
#
# The build tree keeps the same relative places: programs in build/bin, the
# translations in build/share/msgdesk/translations.
set(MSGDESK_INSTALL_SUPPORTDIR ${CMAKE_INSTALL_LIBDIR}/msgdesk)
set(MSGDESK_INSTALL_LIBEXECDIR ${CMAKE_INSTALL_LIBEXECDIR}/msgdesk)
set(MSGDESK_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/msgdesk)
set(MSGDESK_INSTALL_TRANSLATIONSDIR ${MSGDESK_INSTALL_DATADIR}/translations)
set(MSGDESK_BUILD_TRANSLATIONSDIR ${CMAKE_BINARY_DIR}/share/msgdesk/translations)

# Relative paths from the programs' folders; any prefix serves as the anchor.
set(msgdesk_anchor /msgdesk-prefix)
file(RELATIVE_PATH MSGDESK_SUPPORT_FROM_BIN ${msgdesk_anchor}/${CMAKE_INSTALL_BINDIR}
     ${msgdesk_anchor}/${MSGDESK_INSTALL_SUPPORTDIR})
file(RELATIVE_PATH MSGDESK_TRANSLATIONS_FROM_BIN ${msgdesk_anchor}/${CMAKE_INSTALL_BINDIR}
     ${msgdesk_anchor}/${MSGDESK_INSTALL_TRANSLATIONSDIR})
file(RELATIVE_PATH MSGDESK_TRANSLATIONS_FROM_LIBEXEC ${msgdesk_anchor}/${MSGDESK_INSTALL_LIBEXECDIR}
     ${msgdesk_anchor}/${MSGDESK_INSTALL_TRANSLATIONSDIR})

# The version of the project() line is the one version of msgdesk and msgdesk-cli.
target_compile_definitions(msgdesk_settings INTERFACE
    MSGDESK_VERSION="${PROJECT_VERSION}"
    MSGDESK_SUPPORT_FROM_BIN="${MSGDESK_SUPPORT_FROM_BIN}"
    MSGDESK_TRANSLATIONS_FROM_BIN="${MSGDESK_TRANSLATIONS_FROM_BIN}"
    MSGDESK_TRANSLATIONS_FROM_LIBEXEC="${MSGDESK_TRANSLATIONS_FROM_LIBEXEC}"
)
