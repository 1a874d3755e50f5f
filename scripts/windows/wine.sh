# shellcheck shell=bash
# A Wine prefix of the test's own, sourced by test-windows.sh:
#   wine_prefix DIR     makes (once) and selects the 64-bit prefix in DIR
#   wine_stop           ends the prefix's wineserver and its programs
# Wine 8 hands a program the environment but for QT_* variables: settings for
# Qt go on its command line (-platform ...) or through "wine cmd /c set".

wine_prefix() {
    export WINEPREFIX="$1" WINEARCH=win64 WINEDEBUG=-all
    # No Mono or Gecko download prompts: neither is needed.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
        mkdir -p "$WINEPREFIX"
        echo "quozzolo: making the Wine prefix $WINEPREFIX" >&2
        DISPLAY='' wineboot --init >/dev/null 2>&1 || true
        wineserver -w
    fi
    # Windows' Arial, Times New Roman and Courier New are not in Wine: the
    # metric-compatible Liberation fonts (fonts-liberation) stand in, under
    # those names, so the labels are laid out as on Windows.
    local reg="$WINEPREFIX/quozzolo-fonts.reg"
    cat >"$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Arial"="Liberation Sans"
"Times New Roman"="Liberation Serif"
"Courier New"="Liberation Mono"
"MS Sans Serif"="Liberation Sans"
"Microsoft Sans Serif"="Liberation Sans"
"Segoe UI"="Liberation Sans"
"Tahoma"="Liberation Sans"
REG
    DISPLAY='' wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" >/dev/null 2>&1
    wineserver -w
}

wine_stop() {
    if [[ -n "${WINEPREFIX:-}" ]]; then
        wineserver -k 2>/dev/null || true
    fi
}
