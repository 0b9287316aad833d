#!/usr/bin/env bash
# clean_root.sh -- installs the package on a clean Debian 12 root, as a user would:
# debootstrap (minbase) of bookworm into a temporary folder, `apt-get install ./quarnel_*.deb`
# inside it, `quarnel --version` and `--help` from an ordinary user's PATH, the menu entry
# and icon in place, and the window opened under Xvfb from the installed files alone (the
# build tree is not visible inside the root). Everything it mounts and starts is undone on
# any exit.
# Usage (as root): clean_root.sh QUARNEL_DEB [MIRROR]
# Needs debootstrap, xvfb and imagemagick on the host; about 200 MB of downloads.
set -euo pipefail
deb=$(realpath "$1")
mirror=${2:-http://deb.debian.org/debian}
here=$(cd "$(dirname "$0")" && pwd)
[ "$(id -u)" -eq 0 ] || { echo "clean_root.sh needs root (debootstrap, chroot, mount)" >&2; exit 2; }
for tool in debootstrap Xvfb import convert; do
  command -v $tool >/dev/null || { echo "clean_root.sh needs $tool" >&2; exit 2; }
done

root=$(mktemp -d /var/tmp/quarnel-root.XXXXXX)
chmod 755 "$root" # the root of a system: every user reads it
xvfb_pid=""
program_pid_file=$root/tmp/quarnel.pid
cleanup() {
  set +e
  if [ -s "$program_pid_file" ]; then kill -KILL "$(cat "$program_pid_file")" 2>/dev/null; fi
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  for m in tmp/.X11-unix dev/pts dev proc sys; do
    mountpoint -q "$root/$m" && umount -l "$root/$m"
  done
  # Nothing of the host is mounted any more: the folder may go.
  if ! grep -q " $root/" /proc/mounts; then rm -rf --one-file-system "$root"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root "$@"; }

start=$(date +%s)
echo "== debootstrap bookworm (minbase) into $root"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.log" 2>&1 ||
  { tail -20 "$root.log"; rm -f "$root.log"; exit 1; }
rm -f "$root.log"
echo "   $(( $(date +%s) - start )) s"
mount -t proc proc "$root/proc"
mount -t sysfs sys "$root/sys"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"

echo "== apt-get install ./$(basename "$deb")"
cp "$deb" "$root/tmp/"
in_root apt-get update -qq
t=$(date +%s)
(cd "$root/tmp" && in_root sh -c "cd /tmp && DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -q ./$(basename "$deb")") >"$root/tmp/apt.log" 2>&1 ||
  { tail -30 "$root/tmp/apt.log"; exit 1; }
grep -E "^(Need to get|After this operation)" "$root/tmp/apt.log" | sed 's/^/   /'
echo "   $(( $(date +%s) - t )) s"

echo "== as an ordinary user"
in_root useradd -m reader
as_user() { in_root su - reader -c "$1"; }
as_user 'command -v quarnel'
as_user 'quarnel --version'
as_user 'quarnel --help' | head -1
as_user 'quarnel-cards show "the tower" --reversed' | head -1 | grep -x '16 The Tower, reversed'
as_user 'quarnel-cards book guidebook.html && grep -c "<section class=\"card\"" guidebook.html' | grep -x 78
# The journal tool, from the user's PATH, on the user's default journal.
as_user 'quarnel-journal log today "the star reversed" >/dev/null && quarnel-journal list'
for f in /usr/share/man/man6/quarnel.6.gz /usr/share/man/man6/quarnel-deck.6.gz \
  /usr/share/man/man6/quarnel-cards.6.gz /usr/share/man/man6/quarnel-journal.6.gz \
  /usr/share/applications/org.quarnel.Quarnel.desktop \
  /usr/share/icons/hicolor/48x48/apps/org.quarnel.Quarnel.png \
  /usr/share/metainfo/org.quarnel.Quarnel.metainfo.xml; do
  [ -f "$root$f" ] || { echo "missing $f"; exit 1; }
done
grep -q '^Exec=quarnel$' "$root/usr/share/applications/org.quarnel.Quarnel.desktop"

echo "== the window under Xvfb"
display=:$(( 90 + $$ % 100 ))
Xvfb "$display" -screen 0 640x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
mkdir -p "$root/tmp/.X11-unix"
mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
in_root su - reader -c "echo \$\$ > /tmp/quarnel.pid; DISPLAY=$display SDL_AUDIODRIVER=dummy \
  exec quarnel 2>/tmp/quarnel.err" &
su_pid=$!
shown=0
for _ in $(seq 30); do
  sleep 1
  DISPLAY=$display import -window root "$root/tmp/window.png" 2>/dev/null || continue
  size=$(convert "$root/tmp/window.png" -fuzz 1% -trim -format "%wx%h" info: 2>/dev/null)
  colours=$(convert "$root/tmp/window.png" -format "%k" info:)
  if [ "$size" = 480x640 ] && [ "$colours" -ge 32 ]; then shown=1; break; fi
done
pid=$(cat "$program_pid_file")
kill -0 "$pid" || { echo "quarnel ended on its own:"; cat "$root/tmp/quarnel.err"; exit 1; }
kill -TERM "$pid"
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
: >"$program_pid_file"
wait "$su_pid" || true
[ -s "$root/tmp/quarnel.err" ] && { echo "quarnel said:"; cat "$root/tmp/quarnel.err"; }
[ $shown -eq 1 ] || { echo "the window never showed the display area (last: $size)"; exit 1; }
cp "$root/tmp/window.png" "${QUARNEL_CLEAN_ROOT_SHOT:-/dev/null}" 2>/dev/null || true
echo "   window: display area $size, $colours colours"
echo "clean root: installed and ran in $(( $(date +%s) - start )) s"
