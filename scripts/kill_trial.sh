#!/usr/bin/env bash
# Kill -9 while typing: starts the program on a virtual screen TRIALS times (default 100), types a
# night's new name one key at a time, kills it with SIGKILL at a random moment, and checks that
# every file reads back and that the name on disk holds everything typed more than MARGIN seconds
# before the kill (saving by itself every INTERVAL seconds, set in the library's `options`).
# Usage: scripts/kill_trial.sh [BIN_DIR] [TRIALS]      (needs Xvfb, xdotool, python3)
set -uo pipefail
bin=$(realpath "${1:-build/bin}")
trials=${2:-100}
interval=${INTERVAL:-1}
margin=${MARGIN:-2}  # the interval plus the time a save of these files may take
work=$(mktemp -d)
trap 'kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT
cp -r "$bin/velmora" "$bin/dreams.ini" "$bin/empty.bmp" "$bin/icons" "$bin/journals" "$bin/pictures" "$work/"
# Saving by itself every `interval` seconds (the attribute is kept like any other by older copies).
sed -i "s|<options |<options autosave=\"$interval\" |" "$work/dreams.ini"
grep -q "autosave=\"$interval\"" "$work/dreams.ini" || { echo "no options element in dreams.ini" >&2; exit 1; }

Xvfb :97 -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=:97
sleep 1

# Every file reads back (the XML is well formed); prints the first night's name of the journal.
check() {
  python3 - "$work" <<'EOF'
import sys, re, xml.etree.ElementTree as ET, pathlib
root = pathlib.Path(sys.argv[1])
def parse(path):
    text = path.read_bytes().decode("cp1251")
    return ET.fromstring(re.sub(r"^\s*<\?xml[^>]*\?>", "", text).lstrip())
parse(root / "dreams.ini")
journal = parse(root / "journals" / "example.xml")
print(journal.find("day").get("name"))
EOF
}

failures=0 total_typed=0 total_kept=0
for trial in $(seq 1 "$trials"); do
  rm -f "$work/.velmora.lock"  # the notice after a crash would wait for an answer (it has tests of its own)
  "$work/velmora" >/dev/null 2>&1 &
  pid=$!
  window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Velmora$' | head -n1)
  [ -n "$window" ] || { echo "trial $trial: no window" >&2; kill -9 "$pid"; failures=$((failures + 1)); continue; }
  sleep 0.3
  # The default journal is open below it: a click on its first night (as placed on a 1280x800
  # screen), then its name field (F2), all of it replaced by what is typed.
  xdotool mousemove --window "$window" 122 134 click 1
  sleep 0.2
  xdotool key F2
  sleep 0.1
  word="t${trial}x$(tr -dc 'a-z' </dev/urandom | head -c 60)"
  kill_after=$(python3 -c "import random; print(round(random.uniform(0.5, 6.0), 2))")
  start=$(date +%s.%N)
  typed=()
  for ((i = 0; i < ${#word}; i++)); do
    now=$(date +%s.%N)
    if python3 -c "import sys; sys.exit(0 if $now - $start >= $kill_after else 1)"; then break; fi
    xdotool key "${word:$i:1}"
    typed+=("$(date +%s.%N)")
    sleep 0.08
  done
  killed=$(date +%s.%N)
  kill -9 "$pid"
  wait "$pid" 2>/dev/null
  # The keys typed before (kill - margin) must be on disk.
  must=0
  for t in "${typed[@]}"; do
    python3 -c "import sys; sys.exit(0 if $killed - $t > $margin else 1)" && must=$((must + 1))
  done
  name=$(check) || { echo "trial $trial: a file does not read back" >&2; failures=$((failures + 1)); continue; }
  prefix=${word:0:$must}
  total_typed=$((total_typed + ${#typed[@]}))
  if [[ "$word" == "$name"* || ( $must -eq 0 ) ]] && [[ "$name" == "$prefix"* ]]; then
    total_kept=$((total_kept + ${#name}))
    echo "trial $trial: killed after ${kill_after}s, typed ${#typed[@]}, required $must, on disk ${#name}: ok"
  else
    echo "trial $trial: typed '${word:0:${#typed[@]}}', required '$prefix', on disk '$name': LOST" >&2
    failures=$((failures + 1))
  fi
done
echo "kill -9 trials: $trials, failures: $failures (keys typed $total_typed)"
[ "$failures" -eq 0 ]
