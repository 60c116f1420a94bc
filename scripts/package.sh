#!/usr/bin/env bash
# Builds the Debian package of the three programs and checks it:
#   bash scripts/package.sh                  # build/package/picture-tools_<version>_<arch>.deb
#   bash scripts/package.sh --install-test   # and installs it into a fresh Debian 12 root
# Installs its own tools, builds the programs for /usr with Debian's compiler
# flags, makes the package with CPack, validates the launchers and the
# AppStream metadata it ships, and runs lintian (an error or a warning fails).
# The install test (packaging/install-test.sh) downloads a minimal Debian 12
# root from the Debian mirror into build/install-test/ and takes about two
# minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
install_test=false
case "${1:-}" in
  "") ;;
  --install-test) install_test=true ;;
  *)
    echo "usage: $0 [--install-test]" >&2
    exit 2
    ;;
esac

tools=(dpkg-dev desktop-file-utils appstream lintian)
if $install_test; then tools+=(debootstrap inotify-tools); fi
bash scripts/install-deps.sh "${tools[@]}"

# The compiler and linker flags a Debian package is built with, hardening
# included; CMake reads the preprocessor flags only as part of the others.
build=build/package
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CFLAGS="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CFLAGS CXXFLAGS LDFLAGS
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DPT_BUILD_TESTS=OFF -DPT_BUILD_BENCH=OFF >/dev/null
cmake --build "$build"
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB)
debs=("$build"/*.deb)
deb=${debs[0]}

# The checks run on the files as the package ships them.
contents=$build/contents
rm -rf "$contents"
dpkg-deb --extract "$deb" "$contents"
passed=0
failed=0
check() {
  local name=$1
  shift
  echo "== $name"
  if "$@"; then passed=$((passed + 1)); else
    failed=$((failed + 1))
    echo "FAILED: $name" >&2
  fi
}
check "launchers (desktop-file-validate)" desktop-file-validate "$contents"/usr/share/applications/*.desktop
validate_metainfo() {
  local file
  for file in "$contents"/usr/share/metainfo/*.metainfo.xml; do
    appstreamcli validate --no-net "$file" || return 1
  done
}
check "AppStream metadata (appstreamcli validate)" validate_metainfo
# The metadata together with the launchers and icons it names.
check "installed tree (appstreamcli validate-tree)" appstreamcli validate-tree --no-net "$contents"
check "lintian" lintian --fail-on error,warning --info --pedantic "$deb"
if $install_test; then check "install test" bash packaging/install-test.sh "$deb"; fi

echo "package $(basename "$deb"): $(stat -c %s "$deb") bytes," \
  "installed $(dpkg-deb --field "$deb" Installed-Size) KiB"
echo "package: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
