; The installer's own texts in both of its languages (UTF-8 with a byte-order
; mark, which makensis needs to read it as such).
LangString QuilvexAlreadyInstalled ${LANG_JAPANESE} "Quilvex はすでにインストールされています。$\n$\n新しい版をインストールする前に、古い版をアンインストールしますか？"
LangString QuilvexAlreadyInstalled ${LANG_ENGLISH} "Quilvex is already installed.$\n$\nDo you want to uninstall the old version before installing the new one?"
LangString QuilvexUninstallFailed ${LANG_JAPANESE} "アンインストールできませんでした。"
LangString QuilvexUninstallFailed ${LANG_ENGLISH} "Uninstall failed."
