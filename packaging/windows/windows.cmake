# Windows: the folder both programs run from as installed (Qt and MinGW
# runtime DLLs and Qt's plugins beside them), and CPack's NSIS installer and
# zip of it. With MSVC there are no MinGW DLLs; windeployqt does the same job.

foreach(module Core Gui Widgets Network SerialPort)
    install(FILES $<TARGET_FILE:Qt6::${module}> DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION ${CMAKE_INSTALL_BINDIR}/platforms)
install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION ${CMAKE_INSTALL_BINDIR}/styles)

# Qt's own texts in Japanese (the window loads translations/qtbase_ja.qm
# beside itself); the .qm files are the same on every platform, so a Qt
# without them takes Debian's (qt6-translations-l10n).
find_path(QUILVEX_QT_TRANSLATIONS qtbase_ja.qm
          HINTS ${QT6_INSTALL_PREFIX}/translations ${Qt6_DIR}/../../../translations /usr/share/qt6/translations
          NO_CMAKE_FIND_ROOT_PATH REQUIRED)
install(FILES ${QUILVEX_QT_TRANSLATIONS}/qtbase_ja.qm DESTINATION ${CMAKE_INSTALL_BINDIR}/translations)

if(MINGW)
    # Debian keeps them beside the compiler's libraries; Windows kits beside g++.exe.
    get_filename_component(compiler_dir ${CMAKE_CXX_COMPILER} DIRECTORY)
    foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
        execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                        OUTPUT_VARIABLE runtime OUTPUT_STRIP_TRAILING_WHITESPACE)
        if(NOT IS_ABSOLUTE "${runtime}" OR NOT EXISTS "${runtime}")
            find_file(runtime_${dll} ${dll} HINTS ${compiler_dir} NO_CMAKE_FIND_ROOT_PATH REQUIRED)
            set(runtime ${runtime_${dll}})
        endif()
        install(FILES ${runtime} DESTINATION ${CMAKE_INSTALL_BINDIR})
        # Shipped stripped: debug information is most of their size (libstdc++: 23.7 MB, 1.95 MB without).
        install(CODE "execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded
                      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${dll}\" COMMAND_ERROR_IS_FATAL ANY)")
    endforeach()
    # The LGPL asks for the change made to Qt's Windows platform plugin and the
    # recipe that built it; both are kept beside the checkout with the Qt build.
    set(qt_recipe_dir ${PROJECT_SOURCE_DIR}/../shared/qt)
    if(DEFINED ENV{QUILVEX_QT_DIR})
        set(qt_recipe_dir $ENV{QUILVEX_QT_DIR})
    endif()
    foreach(file qt-windows-plugin.patch build-qt-mingw.sh)
        if(NOT EXISTS ${qt_recipe_dir}/${file})
            message(FATAL_ERROR "${qt_recipe_dir}/${file} is missing: the licences must ship it with Qt's DLLs")
        endif()
        install(FILES ${qt_recipe_dir}/${file} DESTINATION licences/qt)
    endforeach()
endif()

install(FILES ${CMAKE_CURRENT_LIST_DIR}/COPYING.txt ${CMAKE_CURRENT_LIST_DIR}/README-licences.txt
              ${CMAKE_CURRENT_LIST_DIR}/LGPL-3.txt ${CMAKE_CURRENT_LIST_DIR}/GPL-3.txt
        DESTINATION licences)

set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_PACKAGE_NAME Quilvex)
set(CPACK_PACKAGE_VENDOR "The Quilvex developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "stand-in GPS receiver sending NMEA 0183 on a COM port or TCP")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Quilvex)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Quilvex)
set(CPACK_PACKAGE_FILE_NAME Quilvex-${PROJECT_VERSION}-win64)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_LIST_DIR}/COPYING.txt)
set(CPACK_STRIP_FILES ON)
# Start-menu entry for the window; the command-line tool is run from a console.
set(CPACK_PACKAGE_EXECUTABLES quilvex Quilvex)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY ${CMAKE_INSTALL_BINDIR})
set(CPACK_NSIS_DISPLAY_NAME Quilvex)
set(CPACK_NSIS_PACKAGE_NAME Quilvex)  # also the Start-menu folder
set(CPACK_NSIS_INSTALLED_ICON_NAME quilvex.exe)
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/app/resources/quilvex.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/app/resources/quilvex.ico)
# A 64-bit installer into the 64-bit Program Files: 64-bit Windows runs it,
# and hosts without 32-bit support can too.
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
include(${CMAKE_CURRENT_LIST_DIR}/JapaneseInstaller.cmake)
# One install at a time. An install first removes the one Windows lists,
# wherever it is: its uninstaller runs in place and cannot delete itself, so
# the installer deletes it and the folder left empty. An uninstaller removes
# its own files; the Apps entry, the Start-menu folder and the registry keys
# only while Windows lists its own install (an earlier install's leftover
# uninstaller leaves the later install whole).
set(quilvex_files quilvex.exe quilvex-nmea.exe libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
foreach(module Core Gui Widgets Network SerialPort)
    list(APPEND quilvex_files Qt6${module}.dll)
endforeach()
list(TRANSFORM quilvex_files PREPEND [=[  Delete "$INSTDIR\]=])
list(TRANSFORM quilvex_files APPEND "\"\n")
string(JOIN "" quilvex_deletes ${quilvex_files})
set(CPACK_NSIS_EXTRA_PREINSTALL_COMMANDS [=[
  ReadRegStr $R0 HKLM "Software\The Quilvex developers\Quilvex" ""
  StrCmp $R0 "" 0 +2
  ReadRegStr $R0 HKCU "Software\The Quilvex developers\Quilvex" ""
  StrCmp $R0 "" quilvexNoEarlier
  IfFileExists "$R0\Uninstall.exe" 0 quilvexNoEarlier
  DetailPrint "Removing the earlier install in $R0"
  ExecWait '"$R0\Uninstall.exe" /S _?=$R0'
  Delete "$R0\Uninstall.exe"
  RMDir "$R0"
  SetOutPath "$INSTDIR"
quilvexNoEarlier:
]=])
string(CONCAT CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS [=[
  ReadRegStr $R0 SHCTX "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quilvex" "UninstallString"
  StrCmp $R0 '"$INSTDIR\Uninstall.exe"' quilvexOwnsEntries
]=] "${quilvex_deletes}" [=[
  RMDir /r "$INSTDIR\platforms"
  RMDir /r "$INSTDIR\styles"
  RMDir /r "$INSTDIR\licences"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Goto doNotRemoveFromPath
quilvexOwnsEntries:
  DeleteRegKey SHCTX "Software\The Quilvex developers\Quilvex"
  DeleteRegKey /ifempty SHCTX "Software\The Quilvex developers"
]=])
set(CPACK_VERBATIM_VARIABLES ON)
include(CPack)
