#!/usr/bin/env bash
# Installs the Debian package into a fresh, minimal Debian 12 root, starts
# each program the way its launcher does (the Exec line of its .desktop file)
# on Qt's offscreen platform and checks that it keeps running, then purges
# the package and checks that none of its files is left behind.
#
#   bash packaging/install-test.sh build/package/picture-tools_2.0_amd64.deb
#
# Runs as root (debootstrap, chroot, mount). The root is made afresh in
# build/install-test/ from the Debian mirror ($DEBIAN_MIRROR, by default
# http://deb.debian.org/debian); nothing is kept outside the project folder,
# and after a pass only the logs are kept.
set -euo pipefail
if [ "$#" -ne 1 ] || [ ! -f "$1" ]; then
  echo "usage: $0 <package.deb>" >&2
  exit 2
fi
if [ "$(id -u)" -ne 0 ]; then exec sudo --preserve-env=DEBIAN_MIRROR bash "$0" "$@"; fi
deb=$(realpath "$1")
cd "$(dirname "$0")/.."
work=$PWD/build/install-test
root=$work/root
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
package=$(dpkg-deb --field "$deb" Package)
run_seconds=5

say() { printf '== %s\n' "$*"; }
fail() {
  printf 'FAILED: %s\n' "$*" >&2
  exit 1
}

# Everything this script starts or mounts is undone on every way out.
started=()
cleanup() {
  local pid
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${started[@]}"; do wait "$pid" 2>/dev/null || true; done
  unmount_all
}
unmount_all() {
  local target
  # Deepest first; a root left mounted by a killed earlier run is cleared too.
  { findmnt --raw --noheadings --output TARGET | grep -F "$root/" || true; } | sort -r |
    while read -r target; do umount --lazy "$target"; done
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

# Lists the files of the root, without the folders that apt, dpkg and the
# programs' own start-up keep changing.
list_files() {
  (cd "$root" && find . -xdev \( -path ./proc -o -path ./dev -o -path ./sys -o -path ./run \
    -o -path ./tmp -o -path ./root -o -path ./var/lib/dpkg -o -path ./var/lib/apt \
    -o -path ./var/cache -o -path ./var/log \) -prune -o -print | sort)
}

in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin \
  DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8 "$@"; }

say "Debian 12 root in $root"
unmount_all
rm -rf --one-file-system "$work"
mkdir -p "$work"
started_at=$SECONDS
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$work/debootstrap.log" 2>&1 ||
  { tail -20 "$work/debootstrap.log"; fail "debootstrap"; }
security=${mirror%/debian}/debian-security
cat >"$root/etc/apt/sources.list" <<SOURCES
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb $security bookworm-security main
SOURCES
# No service of a dependency starts inside the root.
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod 755 "$root/usr/sbin/policy-rc.d"
mount -t proc proc "$root/proc"
say "root ready in $((SECONDS - started_at)) s"

say "dependencies and recommendations of $package"
cp "$deb" "$root/tmp/package.deb"
in_root apt-get update -qq >"$work/update.log" 2>&1 || { cat "$work/update.log"; fail "apt-get update"; }
depends=$(dpkg-deb --field "$deb" Depends)
recommends=$(dpkg-deb --field "$deb" Recommends)
# Recommends are installed like Depends here, so a misspelt one fails.
in_root apt-get satisfy -y -qq "$depends" ${recommends:+"$recommends"} >"$work/satisfy.log" 2>&1 ||
  { tail -30 "$work/satisfy.log"; fail "dependencies cannot be installed"; }
list_files >"$work/files-before"

say "installing $package"
# shellcheck disable=SC2016 # dpkg-query's own field syntax
installed_packages() { in_root dpkg-query --show --showformat '${Package}\n' | sort; }
installed_packages >"$work/packages-before"
in_root apt-get install -y -qq /tmp/package.deb >"$work/install.log" 2>&1 ||
  { tail -30 "$work/install.log"; fail "apt-get install"; }
# Its dependencies were all met above: the package alone is new.
new_packages=$(comm -13 "$work/packages-before" <(installed_packages))
[ "$new_packages" = "$package" ] || fail "installed besides $package: $new_packages"
in_root dpkg -L "$package" | sort >"$work/package-files"

say "launchers"
mapfile -t launchers < <(grep '^/usr/share/applications/.*\.desktop$' "$work/package-files")
[ "${#launchers[@]}" -eq 3 ] || fail "expected 3 launchers, found ${#launchers[@]}"
mkdir -m 700 "$root/tmp/runtime"
mkdir -p "$root/tmp/home"
for launcher in "${launchers[@]}"; do
  name=$(basename "$launcher" .desktop)
  icon=$(sed -n 's/^Icon=//p' "$root$launcher")
  # The command as the launcher runs it, without its field codes; the
  # commands of its actions (Rotaskiv's "截图") must be on the path too.
  command=$(awk '/^\[/ { group = $0 } group == "[Desktop Entry]" && sub(/^Exec=/, "")' \
    "$root$launcher" | sed 's/ *%[fFuUdDnNickvm]//g')
  while read -r action; do
    in_root sh -c "command -v ${action%% *}" >/dev/null ||
      fail "$name: its action's '$action' is not on the path"
  done < <(awk '/^\[/ { group = $0 } group ~ /^\[Desktop Action / && sub(/^Exec=/, "")' \
    "$root$launcher")
  for size in 16x16 24x24 32x32 48x48 64x64 128x128 256x256; do
    [ -f "$root/usr/share/icons/hicolor/$size/apps/$icon.png" ] || fail "$name: no $size icon"
  done
  [ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "$name: no scalable icon"
  in_root sh -c "command -v ${command%% *}" >/dev/null || fail "$name: '$command' is not on the path"

  # Glyphant lists its pattern folder as it starts: watch the folder open.
  watch_log=$work/$name-watch.log
  watcher=""
  if [ "$name" = glyphant ]; then
    inotifywait --monitor --event open --format '%e' "$root/usr/share/picture-tools/textures" \
      >"$watch_log" 2>"$watch_log.err" &
    watcher=$!
    started+=("$watcher")
    for _ in $(seq 100); do
      grep -qs 'Watches established' "$watch_log.err" && break
      sleep 0.1
    done
    grep -qs 'Watches established' "$watch_log.err" || fail "cannot watch the pattern folder"
  fi

  chroot "$root" /usr/bin/env -i PATH=/usr/local/bin:/usr/bin:/bin HOME=/tmp/home \
    XDG_RUNTIME_DIR=/tmp/runtime QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 \
    /bin/sh -c "exec $command" >"$work/$name.log" 2>&1 &
  pid=$!
  started+=("$pid")
  sleep "$run_seconds"
  state=$(sed -n 's/^State:\s*\(.\).*/\1/p' "/proc/$pid/status" 2>/dev/null || true)
  if [ -z "$state" ] || [ "$state" = Z ]; then
    cat "$work/$name.log"
    fail "$name ended within $run_seconds s"
  fi
  program=$(readlink "/proc/$pid/exe")
  grep -qxF "${program#"$root"}" "$work/package-files" || fail "$name: the launcher started $program"
  if [ "$name" = rotaskiv ]; then
    grep -q "$(dirname "$program")/librotate.so" "/proc/$pid/maps" ||
      fail "rotaskiv did not load librotate.so from beside itself"
  fi
  if [ -n "$watcher" ]; then
    kill "$watcher"
    grep -q 'OPEN,ISDIR' "$watch_log" || fail "glyphant did not open its pattern folder"
  fi
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  say "$name: started from its launcher, running after $run_seconds s"
done

say "purging $package"
in_root apt-get purge -y -qq "$package" >"$work/purge.log" 2>&1 ||
  { tail -30 "$work/purge.log"; fail "apt-get purge"; }
list_files >"$work/files-after"
left=$(comm -13 "$work/files-before" "$work/files-after")
[ -z "$left" ] || fail "left behind after purge:"$'\n'"$left"
# The root takes about a gigabyte; the logs beside it stay.
unmount_all
rm -rf --one-file-system "$root"
say "install test passed in $((SECONDS - started_at)) s: 3 programs started, nothing left after purge"
