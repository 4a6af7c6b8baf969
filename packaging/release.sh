#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Makes the release of the checked-out commit into DIR:
#   segmentor-<v>-linux-x86_64.tar.gz, segmentor-<v>-linux-aarch64.tar.gz
#       the static programs (no dynamic dependency), debug information kept
#   segmentor_<v>_amd64.deb, segmentor-dbgsym_<v>_amd64.deb
#       the Debian packages (dynamic program, its debug file apart)
#   segmentor-<v>-windows-x86_64.zip
#   SHA256SUMS over them all
# Every archive holds one folder: the program, README.txt for whoever
# unpacked it (packaging/README-<system>.txt; CR LF in the .zip), the
# manual page and the same page as HTML (mandoc), examples/survey.xyz,
# README.md, LICENSE and CHANGELOG.md. The same commit gives the same bytes
# wherever and whenever it is released: times are the last commit's, owners
# root, members sorted, and no build folder path is left in a binary.
# Builds in build-release/ of the checkout, with the tools of the Debian
# packages .ci/packages lists as release_packages (CI installs them).
# Usage: bash packaging/release.sh DIR
set -euo pipefail
[ $# = 1 ] || { echo "usage: $0 DIR" >&2; exit 2; }
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "$1")
build=$root/build-release

for tool in cmake g++ aarch64-linux-gnu-g++ x86_64-w64-mingw32-g++-posix dpkg-shlibdeps file mandoc zip git; do
  command -v "$tool" >/dev/null ||
    { echo "$0: no $tool: install the Debian packages release_packages in .ci/packages" >&2; exit 1; }
done

export SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct)
export TZ=UTC LC_ALL=C
umask 022
version=$(sed -n 's/^project(segmentor VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
rm -rf "$build"
mkdir -p "$out" "$build"

# build_program NAME CMAKE-OPTION...: the program alone, in build-release/NAME.
build_program() {
  local dir=$build/$1
  shift
  cmake -S "$root" -B "$dir" -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
  cmake --build "$dir" -j2 --target segmentor
}

# manual_html MAN-PAGE: the manual page as one HTML file, its style inside.
manual_html() {
  mandoc -T html "$1" | sed "/^  <style>\$/r $root/packaging/manual.css"
}

# archive NAME PROGRAM BUILD-DIR SYSTEM ARCH: the program, its manual, the
# example and documents in folder NAME, packed into $out/NAME.tar.gz (or
# .zip for a .exe).
archive() {
  local name=$1 program=$2 dir=$3 system=$4 arch=$5 stage=$build/stage/$1
  mkdir -p "$stage/examples"
  install -m 755 "$program" "$stage/"
  install -m 644 "$dir/segmentor.1" "$root/README.md" "$root/LICENSE" "$root/CHANGELOG.md" "$stage/"
  install -m 644 "$root/examples/survey.xyz" "$stage/examples/"
  manual_html "$dir/segmentor.1" > "$stage/segmentor.html"
  sed "s/@VERSION@/$version/g; s/@ARCH@/$arch/g" "$root/packaging/README-$system.txt" > "$stage/README.txt"
  [ "$system" = linux ] || sed -i 's/$/\r/' "$stage/README.txt"
  find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
  if [[ $program == *.exe ]]; then
    (cd "$build/stage" && find "$name" | sort | zip -X -q -@ "$out/$name.zip")
  else
    tar -C "$build/stage" --sort=name --owner=0 --group=0 --numeric-owner --format=gnu \
      --mtime="@$SOURCE_DATE_EPOCH" -cf - "$name" | gzip -9n > "$out/$name.tar.gz"
  fi
}

build_program linux-x86_64 -DSEGMENTOR_STATIC=ON
archive "segmentor-$version-linux-x86_64" "$build/linux-x86_64/segmentor" "$build/linux-x86_64" linux x86_64

build_program linux-aarch64 -DSEGMENTOR_STATIC=ON --toolchain "$root/cmake/aarch64-linux-gnu.cmake"
archive "segmentor-$version-linux-aarch64" "$build/linux-aarch64/segmentor" "$build/linux-aarch64" linux aarch64

build_program windows-x86_64 --toolchain "$root/cmake/mingw-w64.cmake"
archive "segmentor-$version-windows-x86_64" "$build/windows-x86_64/segmentor.exe" "$build/windows-x86_64" windows x86_64

# The .deb packages, dynamic as Debian wants. CPack dates their members and
# the archives inside by SOURCE_DATE_EPOCH, and ld the Windows program's
# header: nothing is left for strip-nondeterminism to do.
build_program deb
(cd "$build/deb" && cpack -G DEB >/dev/null)
cp "$build"/deb/segmentor*_"$version"_amd64.deb "$out/"

cd "$out"
sha256sum "segmentor-$version-linux-x86_64.tar.gz" "segmentor-$version-linux-aarch64.tar.gz" \
  "segmentor_${version}_amd64.deb" "segmentor-dbgsym_${version}_amd64.deb" \
  "segmentor-$version-windows-x86_64.zip" > SHA256SUMS
cat SHA256SUMS
