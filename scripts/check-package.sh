#!/usr/bin/env bash
# Makes the Debian package once, unpacks it into a scratch root and checks that
# every file it lists is there, that the programs it must hold are among them,
# and that the verifier runs from there.
#   scripts/check-package.sh [build folder]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
deb=$(bash "$here/make-package.sh" "${1:-build}")
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"

status=0
listed=0
while read -r path; do
  listed=$((listed + 1))
  if [ ! -e "$root/$path" ] && [ ! -L "$root/$path" ]; then
    echo "listed but not unpacked: $path"
    status=1
  fi
done < <(dpkg-deb -c "$deb" | awk '{ $1=$2=$3=$4=$5=""; sub(/^ +/, ""); sub(/ -> .*/, ""); print }')

for needed in usr/bin/checkwell usr/bin/checkwell-verify usr/bin/checkwell-debugview \
  usr/share/applications/checkwell.desktop usr/share/mime/packages/checkwell.xml \
  usr/share/metainfo/org.example.checkwell.metainfo.xml \
  usr/share/man/man1/checkwell.1 usr/share/man/man1/checkwell-verify.1 \
  usr/share/bash-completion/completions/checkwell-verify \
  usr/share/icons/hicolor/scalable/apps/checkwell.svg \
  usr/share/icons/hicolor/48x48/apps/checkwell.png \
  "usr/share/doc/checkwell/Checkwell Help.htm"; do
  if [ ! -e "$root/$needed" ]; then
    echo "missing from the package: $needed"
    status=1
  fi
done

depends=$(dpkg-deb -f "$deb" Depends)
case $depends in
  *libqt6widgets6* | *libqt6core6*) ;;
  *) echo "run-time dependencies not computed: '$depends'"; status=1 ;;
esac
"$root/usr/bin/checkwell-verify" --version >/dev/null || status=1

echo "$deb: $listed entries, depends on: $depends"
[ $status -eq 0 ] && echo "package content check passed" || echo "package content check FAILED"
exit $status
