#!/usr/bin/env bash
# Installs the built program into a temporary folder as a package would (DESTDIR, prefix /usr),
# checks the tree, then runs the installed program twice with a fresh home folder: the first start
# copies the starter library into the user's data folder, a SIGTERM closes it with everything
# written, and the second start reads what the first one left.
# Usage: test_install.sh BUILD_DIR APP_ID
set -euo pipefail
build=$1 id=$2
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$stage/root" cmake --install "$build" --prefix /usr >/dev/null
usr=$stage/root/usr

for f in bin/velmora share/velmora/dreams.ini share/velmora/empty.bmp share/velmora/journals/example.xml \
         share/velmora/icons/day.bmp share/velmora/pictures/flight.bmp share/doc/velmora/README.md \
         "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml"; do
  [ -f "$usr/$f" ] || fail "not installed: /usr/$f"
done
for size in 16 24 32 48 64 128 256; do
  icon="$usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
  [ -f "$icon" ] || fail "no ${size}x${size} icon"
  # The PNG header holds width and height as 32-bit big-endian numbers at bytes 16 and 20.
  [ "$(od -An --endian=big -tu4 -j16 -N8 "$icon" | xargs)" = "$size $size" ] || fail "$icon is not ${size}x${size}"
done
[ -x "$usr/bin/velmora" ] || fail "the program is not executable"
# Nothing else lands in the tree: no tests, benchmarks, build leftovers or a user's library.
extra=$(cd "$stage/root" && find . -type f | grep -v -e '^./usr/bin/velmora$' -e '^./usr/share/velmora/' \
        -e '^./usr/share/icons/hicolor/' -e "^./usr/share/applications/$id.desktop$" \
        -e "^./usr/share/metainfo/$id.metainfo.xml$" -e '^./usr/share/doc/velmora/README.md$' || true)
[ -z "$extra" ] || fail "unexpected files installed: $extra"

desktop="$usr/share/applications/$id.desktop"
grep -qx 'Categories=Office;' "$desktop" || fail "the menu entry is not in Office"
grep -qx 'Exec=velmora' "$desktop" || fail "the menu entry does not start velmora"
grep -qx "Icon=$id" "$desktop" || fail "the menu entry names another icon"
grep -q '^Name\[ru\]=' "$desktop" || fail "the menu entry has no Russian name"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate"
else
  echo "desktop-file-validate is not installed: the menu entry was not validated"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$usr/share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"
else
  echo "appstreamcli is not installed: the metainfo file was not validated"
fi

# The installed program, with a home folder of its own and no display.
home=$stage/home
mkdir -p "$home/runtime" "$stage/cwd" && chmod 700 "$home/runtime"
export HOME=$home XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config XDG_RUNTIME_DIR=$home/runtime
export QT_QPA_PLATFORM=offscreen
installed_sums=$(cd "$stage/root" && find . -type f -exec md5sum {} + | sort)

run_and_terminate() {
  (cd "$stage/cwd" && exec "$usr/bin/velmora") &
  local pid=$! i
  # Wait until the program handles SIGTERM itself (bit 15 of SigCgt), then send it.
  for i in $(seq 500); do
    mask=$(awk '/^SigCgt:/ {print $2}' "/proc/$pid/status" 2>/dev/null || true)
    [ -n "$mask" ] && (( (0x$mask >> 14) & 1 )) && break
    sleep 0.02
  done
  sleep 0.3
  kill -TERM "$pid"
  local rc=0
  wait "$pid" || rc=$?
  [ "$rc" -eq 0 ] || fail "the program ended with $rc after SIGTERM"
}

library=$XDG_DATA_HOME/Velmora
run_and_terminate
[ -f "$library/dreams.ini" ] || fail "no library in the user's data folder"
[ -f "$library/journals/example.xml" ] || fail "the example journal was not copied"
grep -q '<form left="' "$library/dreams.ini" || fail "the library was not written at the end"
[ "$installed_sums" = "$(cd "$stage/root" && find . -type f -exec md5sum {} + | sort)" ] ||
  fail "the installed files changed"

# Restart: a mark put into the user's library must be read and written back, not replaced.
LC_ALL=C sed -i 's/<dreamlibrary name="[^"]*"/<dreamlibrary name="Restarted"/' "$library/dreams.ini"
run_and_terminate
grep -q '<dreamlibrary name="Restarted"' "$library/dreams.ini" || fail "the library did not survive a restart"
echo "installed tree, menu entry, metainfo, icons and two starts of the installed program: fine"
