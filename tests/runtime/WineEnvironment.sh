# Sourced by the wine end-to-end scripts: one wine prefix and home inside the build tree
# (CORVANE_WINE_DIR, set by CMake), quiet wine, no browser or menu integration.
base=${CORVANE_WINE_DIR:?}
export WINEPREFIX=$base/prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Wine links Desktop and Documents into $HOME: keep them inside the build tree.
export HOME=$base/home
export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share XDG_CACHE_HOME=$HOME/.cache
drive_c=$WINEPREFIX/drive_c
