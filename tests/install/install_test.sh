#!/usr/bin/env bash
# Installs the build into an empty prefix and runs the installed lexmora-cli on the installed
# samples, with the build folder out of its reach: the copy must find its code files under
# share/lexmora and keep its settings in the user's XDG folder.
# usage: install_test.sh BUILD_DIR WITH_UI(ON|OFF)
set -euo pipefail
build=$1
with_ui=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
fail() { echo "install_test: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
expected=(bin/lexmora-cli share/lexmora/codes/html.wp# share/lexmora/help/index.html
          share/lexmora/samples/francais.txt share/man/man1/lexmora-cli.1)
if [ "$with_ui" = ON ]; then
    expected+=(bin/lexmora share/applications/io.github.lexmora.Lexmora.desktop
               share/metainfo/io.github.lexmora.Lexmora.metainfo.xml
               share/icons/hicolor/scalable/apps/lexmora.svg
               share/icons/hicolor/48x48/apps/lexmora.png
               share/icons/hicolor/256x256/apps/lexmora.png)
fi
for f in "${expected[@]}"; do
    [ -s "$prefix/$f" ] || fail "missing $f"
done
[ ! -e "$prefix/bin/codes" ] || fail "shipped files landed in bin/"

# A user with an empty home, run from an unrelated folder.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config
mkdir -p "$HOME" && cd "$HOME"
cli=$prefix/bin/lexmora-cli
"$cli" --help >/dev/null || fail "--help failed"
out=$("$cli" search --source "$prefix/share/lexmora/samples" --pattern "*.txt" --left 20 \
      --right 20 --language french maison 2>/dev/null) || fail "search failed"
grep -qi "maison" <<<"$out" || fail "the search on the installed samples found nothing: $out"
"$cli" settings set LeftContext 40 >/dev/null 2>&1 || fail "settings set failed"
[ -f "$XDG_CONFIG_HOME/lexmora/lexmora9.ini" ] || fail "settings not kept in \$XDG_CONFIG_HOME/lexmora"
[ ! -e "$prefix/bin/lexmora9.ini" ] || fail "settings written beside the installed program"
"$cli" settings | grep -qx "LeftContext=40" || fail "the stored setting was not read back"
"$cli" search --code "TeX/LaTeX accents" --source "$prefix/share/lexmora/samples/francais.txt" maison \
    >/dev/null 2>&1 || fail "the installed code files were not loaded"
echo "install_test: ok"
