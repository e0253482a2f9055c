#!/usr/bin/env bash
# The installed tree and the Debian package: install_test.sh BUILD_DIR
# Installs into a temporary prefix and packages into a temporary folder,
# then checks the files, the desktop entry and metainfo, the icon sizes,
# that the manual pages and the bash completion know every option of --help,
# the completion of names, and the package's contents, dependencies and
# lintian's verdict (the two checkers where the set-up installed them).
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

prefix=$work/usr
cmake --install "$build" --prefix "$prefix" >/dev/null
sizes="16 22 24 32 48 64 128 256"
expected=$(LC_ALL=C sort <<EOF
bin/kobpack
bin/kobpack-gui
share/applications/kobpack-gui.desktop
share/bash-completion/completions/kobpack
share/doc/kobpack/changelog.gz
share/doc/kobpack/copyright
$(for size in $sizes; do echo "share/icons/hicolor/${size}x${size}/apps/kobpack.png"; done)
share/man/man1/kobpack-gui.1.gz
share/man/man1/kobpack.1.gz
share/metainfo/org.example.kobpack.metainfo.xml
share/mime/packages/kobpack.xml
EOF
)
installed=$(cd "$prefix" && find . -type f -printf '%P\n' | LC_ALL=C sort)
[ "$installed" = "$expected" ] || fail "installed files differ:"$'\n'"$(diff <(echo "$expected") <(echo "$installed"))"

"$prefix/bin/kobpack" --version | grep -qx 'kobpack [0-9.]*' || fail "installed kobpack --version"
"$prefix/bin/kobpack-gui" --version | grep -qx 'kobpack-gui [0-9.]*' || fail "installed kobpack-gui --version (no display)"
# -v is --verbose in kobpack, so the window does not take it for --version.
status=0; "$prefix/bin/kobpack-gui" -v >"$work/out" 2>&1 || status=$?
[ "$status $(cat "$work/out")" = "2 kobpack-gui: Unknown option 'v'. (see kobpack-gui --help)" ] ||
  fail "kobpack-gui -v: $status $(cat "$work/out")"
desktop-file-validate "$prefix/share/applications/kobpack-gui.desktop" || fail "desktop entry does not validate"
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$prefix/share/metainfo/org.example.kobpack.metainfo.xml" >"$work/out" 2>&1 ||
    fail "metainfo does not validate: $(cat "$work/out")"
fi
# The .kob type: a well-formed shared-mime-info file that the database,
# built in a folder of its own, takes in; the desktop entry opens its files.
mime=$prefix/share/mime/packages/kobpack.xml
xmllint --noout "$mime" 2>"$work/out" || fail "MIME type file is not well-formed: $(cat "$work/out")"
mkdir -p "$work/mime/packages" && cp "$mime" "$work/mime/packages/"
update-mime-database "$work/mime" >"$work/out" 2>&1 || fail "update-mime-database: $(cat "$work/out")"
grep -qx 'application/x-kob:\*\.kob' "$work/mime/globs" || fail "the MIME database holds no *.kob: $(cat "$work/mime/globs")"
grep -qx 'MimeType=application/x-kob;' "$prefix/share/applications/kobpack-gui.desktop" ||
  fail "the desktop entry opens no .kob"
for size in $sizes; do
  # A PNG's width and height are the big-endian words at offsets 16 and 20.
  dims=$(od --endian=big -An -tu4 -j16 -N8 "$prefix/share/icons/hicolor/${size}x${size}/apps/kobpack.png" | xargs)
  [ "$dims" = "$size $size" ] || fail "icon in ${size}x${size} is not $size pixels square: $dims"
done

# Every option of every command, as --help lists them.
page=$(zcat "$prefix/share/man/man1/kobpack.1.gz" | sed 's/\\-/-/g')
completion=$prefix/share/bash-completion/completions/kobpack
complete_words() { # kobpack's completions of the words given, the last being completed, sorted
  bash -c 'source "$1"; shift; COMP_WORDS=(kobpack "$@"); COMP_CWORD=$#; _kobpack; printf "%s\n" "${COMPREPLY[@]}"' \
    _ "$completion" "$@" | LC_ALL=C sort
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
# The window's page tells of the window, the quick launch and its files, not
# only the options.
gui_page=$(zcat "$prefix/share/man/man1/kobpack-gui.1.gz")
for text in "^\.SH \"THE WINDOW\"" "^\.SH \"QUICK LAUNCH\"" "^\.SH \"WHERE THE MOD AND THE GAME MUST BE\"" \
            "_quickLaunch\.cfg" "^\.BR kobpack \(1\)"; do
  grep -qE -- "$text" <<<"$gui_page" || fail "kobpack-gui.1 lacks $text"
done
[ "$(complete_words "" | xargs)" = "extract list pack verify" ] || fail "completion of the commands"
# Names with spaces come back quoted as one word, folders with a "/", and
# after -C DIR (typed escaped or quoted) from DIR, not the current folder.
names=$work/names
mkdir -p "$names/my mod/Archives/sub dir" "$names/my mod/objects" "$names/my mod/old maps" "$names/my mod/Ostrel"
touch "$names/my mod/Archives/a b.kob" "$names/my mod/Archives/notes.txt" "$names/here.kob"
names() { (cd "$names" && complete_words "$@" | tr '\n' '|'); }
rows=("pack;o=objects/|old\\ maps/|" "list;=a\\ b.kob|sub\\ dir/|" "verify;--against;../O=../Ostrel/|"
      "extract;a\\ b.kob;-o;s=sub\\ dir/|") # words;...=completions|...
for row in "${rows[@]}"; do
  IFS=';' read -ra words <<<"${row%%=*}"
  [[ $row == *";="* ]] && words+=("")
  for workdir in "my\ mod/Archives" "'my mod/Archives'"; do
    got=$(names -C "$workdir" "${words[@]}")
    [ "$got" = "${row#*=}" ] || fail "completion after -C $workdir ${words[*]}: $got"
  done
done
[ "$(names list "")" = "here.kob|my\\ mod/|" ] || fail "completion of ARCHIVE in the current folder: $(names list "")"
[ "$(names -C my)" = "my\\ mod/|" ] || fail "completion of -C DIR: $(names -C my)"

# The package: the same files below /usr, and the libraries the programs
# link as dependencies, as dpkg-shlibdeps found them.
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/package" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; exit 1; }
deb=$(echo "$work"/package/kobpack_*.deb)
[ -f "$deb" ] || fail "no kobpack_*.deb made"
contents=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $NF}' | sed 's|^\./usr/||' | LC_ALL=C sort)
[ "$contents" = "$expected" ] || fail "package contents differ:"$'\n'"$(diff <(echo "$expected") <(echo "$contents"))"
if command -v lintian >/dev/null; then
  lintian "$deb" >"$work/lintian.log" 2>&1 || fail "lintian: $(cat "$work/lintian.log")"
  grep -E '^[EW]:' "$work/lintian.log" && fail "lintian errors or warnings"
fi
depends=$(dpkg-deb -f "$deb" Depends | sed 's/ ([^)]*)//g; s/, /\n/g')
for dependency in libc6 libstdc++6 liblzo2-2 libqt6core6 libqt6widgets6 qt6-qpa-plugins; do
  grep -qxF "$dependency" <<<"$depends" || fail "package does not depend on $dependency:"$'\n'"$depends"
done

exit $((failures > 0))
