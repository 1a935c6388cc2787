#!/usr/bin/env bash
# The Debian package as a user gets it, checked without installing it: its files at their paths,
# its computed dependencies and fields, and the program, manual page, completion and metainfo
# taken out of it.
#   tests/package/check.sh BUILD_DIR    (after cmake --build BUILD_DIR --target package)
set -euo pipefail
build=$1
checks=0
fail() {
  echo "package: $*" >&2
  exit 1
}
passed() { checks=$((checks + 1)); }

version=$("$build/app/quorvel" --version | sed -n 's/^quorvel //p')
deb=$build/quorvel_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $deb"
passed

contents=$(dpkg-deb --contents "$deb" | awk '{print $NF}')
for path in /usr/bin/quorvel /usr/share/applications/quorvel.desktop \
  /usr/share/icons/hicolor/16x16/apps/quorvel.png /usr/share/icons/hicolor/32x32/apps/quorvel.png \
  /usr/share/man/man1/quorvel.1.gz /usr/share/bash-completion/completions/quorvel \
  /usr/share/metainfo/org.quorvel.Quorvel.metainfo.xml; do
  grep -qx "\.$path" <<<"$contents" || fail "$path is not in the package"
done
passed
# Everything is under /usr and nothing is made at install time, so a removal leaves nothing.
outside=$(grep -v '^\./usr/' <<<"$contents" | grep -vx '\./' || true)
[ -z "$outside" ] || fail "files outside /usr: $outside"
scripts=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -v -x -e './' -e './control' -e './md5sums' || true)
[ -z "$scripts" ] || fail "maintainer scripts or conffiles: $scripts"
passed

depends=$(dpkg-deb --field "$deb" Depends)
for library in libqt6widgets6 libncursesw6; do
  grep -q "\b$library\b" <<<"$depends" || fail "Depends lacks $library: $depends"
done
[ "$(dpkg-deb --field "$deb" Section)" = electronics ] || fail "Section is not electronics"
[ -n "$(dpkg-deb --field "$deb" Maintainer)" ] || fail "no Maintainer"
[ "$(dpkg-deb --field "$deb" Version)" = "$version" ] || fail "Version is not $version"
passed

root=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-package.XXXXXX")
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
[ "$("$root/usr/bin/quorvel" --version)" = "quorvel $version" ] || fail "the packaged program's --version"
passed

warnings=$(zcat "$root/usr/share/man/man1/quorvel.1.gz" | groff -man -ww -z 2>&1)
[ -z "$warnings" ] || fail "the manual page renders with warnings: $warnings"
passed

# Completion as bash-completion loads it, for the packaged program.
touch "$root/capture-file"
completed=$(cd "$root" && bash -c '
  source /usr/share/bash-completion/bash_completion
  source usr/share/bash-completion/completions/quorvel
  complete_line() {
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _quorvel "$1" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    echo "${COMPREPLY[*]}"
  }
  complete -p quorvel >/dev/null || exit 1
  complete_line usr/bin/quorvel --ca
  complete_line usr/bin/quorvel --capture capt
  complete_line usr/bin/quorvel --capture-raw capt')
[ "$completed" = $'--capture --capture-raw\ncapture-file\ncapture-file' ] ||
  fail "completion gave: $completed"
passed

metainfo=$root/usr/share/metainfo/org.quorvel.Quorvel.metainfo.xml
appstreamcli validate --no-net "$metainfo" >/dev/null ||
  fail "the metainfo does not validate: $(appstreamcli validate --no-net "$metainfo")"
newest=$(grep -m1 -o '<release version="[^"]*"' "$metainfo" | cut -d'"' -f2)
[ "$newest" = "$version" ] || fail "the metainfo's newest release is $newest, the program's version $version"
passed

echo "package: $checks checks passed ($(du -k "$deb" | cut -f1) KiB, $(basename "$deb"))"
