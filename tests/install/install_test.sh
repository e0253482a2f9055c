#!/usr/bin/env bash
# The installed tree and the Debian package: install_test.sh BUILD_DIR
# Installs into a temporary prefix and packages into a temporary folder,
# then checks the files, the desktop entry, the icon sizes, that the manual
# page and the bash completion know every option of --help, and the
# package's contents and dependencies.
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

prefix=$work/usr
cmake --install "$build" --prefix "$prefix" >/dev/null
expected="bin/kobpack
bin/kobpack-gui
share/applications/kobpack-gui.desktop
share/bash-completion/completions/kobpack
share/icons/hicolor/16x16/apps/kobpack.png
share/icons/hicolor/32x32/apps/kobpack.png
share/man/man1/kobpack-gui.1
share/man/man1/kobpack.1"
installed=$(cd "$prefix" && find . -type f -printf '%P\n' | LC_ALL=C sort)
[ "$installed" = "$expected" ] || fail "installed files differ:"$'\n'"$(diff <(echo "$expected") <(echo "$installed"))"

"$prefix/bin/kobpack" --version | grep -qx 'kobpack [0-9.]*' || fail "installed kobpack --version"
"$prefix/bin/kobpack-gui" --version | grep -qx 'kobpack-gui [0-9.]*' || fail "installed kobpack-gui --version (no display)"
desktop-file-validate "$prefix/share/applications/kobpack-gui.desktop" || fail "desktop entry does not validate"
for size in 16 32; do
  # A PNG's width and height are the big-endian words at offsets 16 and 20.
  dims=$(od -An -tu1 -j16 -N8 "$prefix/share/icons/hicolor/${size}x${size}/apps/kobpack.png" | xargs)
  [ "$dims" = "0 0 0 $size 0 0 0 $size" ] || fail "icon in ${size}x${size} is not $size pixels square: $dims"
done

# Every option of every command, as --help lists them.
page=$(sed 's/\\-/-/g' "$prefix/share/man/man1/kobpack.1")
completion=$prefix/share/bash-completion/completions/kobpack
complete_words() { # kobpack's completions of the words given, the last being completed
  bash -c 'source "$1"; shift; COMP_WORDS=(kobpack "$@"); COMP_CWORD=$#; _kobpack; printf "%s\n" "${COMPREPLY[@]}"' \
    _ "$completion" "$@"
}
for command in "" pack list extract verify; do
  options=$("$build/kobpack" $command --help | grep -oE '^ +-[^ ]+' | tr ',' '\n' | tr -d ' ' | sort -u)
  [ -n "$options" ] || fail "no options in kobpack $command --help"
  offered=$(complete_words $command -)
  for option in $options; do
    grep -qF -- "$option" <<<"$page" || fail "manual page lacks $option ($command)"
    grep -qx -- "$option" <<<"$offered" || fail "completion lacks $option after 'kobpack $command'"
  done
  [ -z "$command" ] || grep -q "^\.SS $command\$" <<<"$page" || fail "manual page lacks the command $command"
done
[ "$(complete_words "" | xargs)" = "pack list extract verify" ] || fail "completion of the commands"
mkdir -p "$work/mod/Archives" "$work/mod/objects" "$work/mod/ostrel"
(cd "$work/mod/Archives" && [ "$(complete_words pack o | xargs)" = "objects/ ostrel/" ]) ||
  fail "completion of pack NAME from the mod root"

# The package: the same files below /usr, and the libraries the programs
# link as dependencies, as dpkg-shlibdeps found them.
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/package" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; exit 1; }
deb=$(echo "$work"/package/kobpack_*.deb)
[ -f "$deb" ] || fail "no kobpack_*.deb made"
contents=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $NF}' | sed 's|^\./usr/||' | LC_ALL=C sort)
[ "$contents" = "$expected" ] || fail "package contents differ:"$'\n'"$(diff <(echo "$expected") <(echo "$contents"))"
depends=$(dpkg-deb -f "$deb" Depends | sed 's/ ([^)]*)//g; s/, /\n/g')
for dependency in libc6 libstdc++6 liblzo2-2 libqt6core6 libqt6widgets6 qt6-qpa-plugins; do
  grep -qxF "$dependency" <<<"$depends" || fail "package does not depend on $dependency:"$'\n'"$depends"
done

exit $((failures > 0))
