# The installer speaks Japanese, with English offered beside it: CPack's
# NSIS template with these two languages only, Japanese first, a language
# choice when it starts (skipped by a silent install), and its own messages
# in both (InstallerTexts.nsh). CPack finds the template in CMAKE_MODULE_PATH.

set(_nsis_template ${CMAKE_CURRENT_LIST_DIR}/NSIS.template.in)
if(NOT EXISTS ${_nsis_template})
    set(_nsis_template ${CMAKE_ROOT}/Modules/Internal/CPack/NSIS.template.in)
endif()
file(READ ${_nsis_template} _nsis)
string(REPLACE "  !insertmacro MUI_LANGUAGE \"English\" ;first language is the default language\n"
               "@QUILVEX_LANGUAGES@" _nsis "${_nsis}")
string(REGEX REPLACE "  !insertmacro MUI_LANGUAGE \"[A-Za-z]+\"\n" "" _nsis "${_nsis}")
file(TO_NATIVE_PATH ${CMAKE_CURRENT_LIST_DIR}/InstallerTexts.nsh _nsis_texts)
string(REPLACE "@QUILVEX_LANGUAGES@"
               "  !insertmacro MUI_LANGUAGE \"Japanese\"\n  !insertmacro MUI_LANGUAGE \"English\"\n  !include \"${_nsis_texts}\"\n"
               _nsis "${_nsis}")
string(REPLACE "Function .onInit\n" "Function .onInit\n  !insertmacro MUI_LANGDLL_DISPLAY\n" _nsis "${_nsis}")
string(REPLACE "Function un.onInit\n" "Function un.onInit\n  !insertmacro MUI_UNGETLANGUAGE\n" _nsis "${_nsis}")
string(REPLACE "\"@CPACK_NSIS_PACKAGE_NAME@ is already installed. $\\n$\\nDo you want to uninstall the old version before installing the new one?\""
               "\"$(QuilvexAlreadyInstalled)\"" _nsis "${_nsis}")
string(REPLACE "\"Uninstall failed.\"" "\"$(QuilvexUninstallFailed)\"" _nsis "${_nsis}")
foreach(_piece "MUI_LANGUAGE \"Japanese\"" "MUI_LANGDLL_DISPLAY" "MUI_UNGETLANGUAGE" "$(QuilvexAlreadyInstalled)" "$(QuilvexUninstallFailed)")
    string(FIND "${_nsis}" "${_piece}" _at)
    if(_at EQUAL -1)
        message(FATAL_ERROR "The NSIS template changed: ${_piece} could not be put in")
    endif()
endforeach()
# The language choice is remembered for the uninstaller.
string(REPLACE "!include \"MUI.nsh\"" "!include \"MUI.nsh\"\n  !define MUI_LANGDLL_REGISTRY_ROOT \"SHCTX\"\n  !define MUI_LANGDLL_REGISTRY_KEY \"Software\\@CPACK_PACKAGE_INSTALL_REGISTRY_KEY@\"\n  !define MUI_LANGDLL_REGISTRY_VALUENAME \"Installer Language\""
               _nsis "${_nsis}")
file(WRITE ${PROJECT_BINARY_DIR}/nsis/NSIS.template.in "${_nsis}")
list(PREPEND CMAKE_MODULE_PATH ${PROJECT_BINARY_DIR}/nsis)
