#!/usr/bin/env bash
# Starts marlo on a virtual X display and saves what a user sees: the main window in English
# and in Polish, the About window and the projection window in both languages, the projection
# window with a search, the progress window in the middle of a run and the status line after it.
#   scripts/screenshots.sh [OUTPUT_FOLDER]      (default: build/screenshots)
# It drives the program with the keyboard only, as a user could, and never touches the real
# home folder: settings and the projection list copy live in a scratch folder.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out=$(realpath -m "${1:-build/screenshots}")

# The tools: a virtual X server, ImageMagick's import to save a window, xdotool to press keys,
# and openbox as the window manager; the windows' titles are listed in titles.txt beside the
# pictures.
bash scripts/install-deps.sh screenshots

if [ ! -x build/bin/marlo ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build build --target marlo
fi

scratch=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$scratch"
}
trap cleanup EXIT

export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data"
export XDG_RUNTIME_DIR="$scratch/runtime" LANG=C.UTF-8
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME/Marlo" "$XDG_RUNTIME_DIR" "$scratch/maps" "$out"
chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM

# A georeferenced image that states no coordinate system: the projection window asks for one,
# from the list shipped with the program.
gdal_create -q -of GTiff -outsize 64 48 -bands 1 -a_ullr 500000 600000 500128 599904 \
  "$scratch/maps/sheet.tif"
# A batch for the progress window: five sheets, the fourth with a broken world file, so that
# the run stops there with its message while the progress window still shows.
mkdir -p "$scratch/batch"
for name in a b c d e; do
  gdal_create -q -of GTiff -outsize 64 48 -bands 1 "$scratch/batch/$name.tif"
  printf '2\r\n0\r\n0\r\n-2\r\n500000\r\n600000\r\n' >"$scratch/batch/$name.tfw"
done
printf 'broken\r\n' >"$scratch/batch/d.tfw"
# A map: twenty sheets in a 4 x 5 grid, and one that lies 300 km away.
mkdir -p "$scratch/grid"
gdal_create -q -of GTiff -outsize 64 48 -bands 1 "$scratch/grid/image.tif"
grid_names=""
for i in $(seq 0 20); do
  ln "$scratch/grid/image.tif" "$scratch/grid/s$i.tif"
  x=$((500000 + (i % 4) * 128)) y=$((600000 - (i / 4) * 96))
  [ "$i" -eq 20 ] && x=800000
  printf '2\r\n0\r\n0\r\n-2\r\n%d\r\n%d\r\n' "$x" "$y" >"$scratch/grid/s$i.tfw"
  grid_names+="\"s$i.tfw\" "
done

# A display no X server holds yet: Xvfb picks it and prints its number.
exec {display_fd}<> <(:)
Xvfb -displayfd "$display_fd" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
read -r -t 20 -u "$display_fd" number
display=:$number
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
# A real window manager, as users have: stacking, focus and decorations as they are.
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1

build/bin/marlo >"$scratch/marlo.log" 2>&1 &
pids+=($!)

window() {  # waits for the shown window with exactly this title and prints its id
  xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1
}
keys() {  # gives the window with this title the keyboard, then presses the keys
  local id
  id=$(window "$1")
  shift
  xdotool windowfocus --sync "$id"
  sleep 0.4
  xdotool key --delay 150 "$@"
}
shot() {  # saves the window with this title
  local id
  id=$(window "$1")
  sleep 0.8
  import -window "$id" "$out/$2.png"
  printf '%s.png\t%s\n' "$2" "$(xdotool getwindowname "$id")" >>"$out/titles.txt"
  echo "saved $out/$2.png"
}
convert_run() {  # starts a run and picks the sample image; the projection window follows
  keys Tessaly space
  keys "$1" ctrl+a
  xdotool type --delay 20 "$scratch/maps/sheet.tif"
  keys "$1" Return
}

: >"$out/titles.txt"
window Tessaly >/dev/null
shot Tessaly main-english
keys Tessaly Tab space              # cmbOK -> cmdExit: About
shot "About Marlo" about-english
keys "About Marlo" Escape
keys Tessaly Tab space              # cmdExit -> cmdPL: Polish at once
shot Tessaly main-polski
keys Tessaly shift+Tab space        # cmdPL -> cmdExit: About
shot "About Marlo" about-polski
keys "About Marlo" Escape
keys Tessaly shift+Tab              # cmdExit -> cmbOK
convert_run "Wybierz pliki..."
shot "Marlo - wybierz projekcję MapInfo" projection-polski
keys "Marlo - wybierz projekcję MapInfo" Escape   # the run ends silently
keys Tessaly Tab Tab Tab space      # cmbOK -> cmdEN: English again
keys Tessaly shift+Tab shift+Tab shift+Tab
convert_run "Select files..."
shot "Marlo - Select MapInfo projection" projection-english
typed() {  # gives the window with this title the keyboard, then types the text
  xdotool windowfocus --sync "$(window "$1")"
  sleep 0.4
  xdotool type --delay 60 "$2"
}
typed "Marlo - Select MapInfo projection" "uklad 2000"
shot "Marlo - Select MapInfo projection" projection-search-polish-name-english
keys "Marlo - Select MapInfo projection" ctrl+a BackSpace
typed "Marlo - Select MapInfo projection" zzzz
shot "Marlo - Select MapInfo projection" projection-no-matches-english
keys "Marlo - Select MapInfo projection" ctrl+a BackSpace
typed "Marlo - Select MapInfo projection" 2180
shot "Marlo - Select MapInfo projection" projection-search-english
# A code the shipped list lacks: GDAL's system, in a group of its own.
keys "Marlo - Select MapInfo projection" ctrl+a BackSpace
typed "Marlo - Select MapInfo projection" EPSG:2154
shot "Marlo - Select MapInfo projection" projection-gdal-code-english
keys "Marlo - Select MapInfo projection" Escape

keys Tessaly alt+f Down Down alt+t Down   # Convert from: tfw, to: tab
batch_run() {  # starts a run of the five sheets of the batch, in EPSG:2180
  keys Tessaly alt+o
  keys "Select files..." ctrl+a
  xdotool type --delay 20 "$scratch/batch/"
  keys "Select files..." Return ctrl+a
  xdotool type --delay 20 '"a.tfw" "b.tfw" "c.tfw" "d.tfw" "e.tfw"'
  keys "Select files..." Return
  typed "Marlo - Select MapInfo projection" 2180
  keys "Marlo - Select MapInfo projection" Return
}
batch_run
# The run stops at d.tfw with its message, which must be the active window, above the progress
# window and the main window: a message behind them would leave the program looking frozen.
message=$(window Marlo)
sleep 0.8
stacking=$(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,//g')
top=$(echo "$stacking" | awk '{print $NF}')
active=$(xdotool getactivewindow)
: >"$out/checks.txt"
if [ "$((top))" -eq "$message" ] && [ "$active" -eq "$message" ]; then
  echo "failing file: the message is the active window, on top of the others" >>"$out/checks.txt"
else
  echo "failing file: the message is NOT on top (stacking $stacking, active $active, message" \
       "$message)" | tee -a "$out/checks.txt" >&2
  exit 1
fi
# The progress window shows how far the run got; the message moves aside for the picture.
xdotool windowmove "$message" 700 600
shot "Marlo - Converting" progress-english
keys Marlo Return
gone() {  # waits until no shown window has this title
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null || return 0
    sleep 0.1
  done
}
gone Marlo
gone "Marlo - Converting"
shot "Marlo - Summary" summary-stopped-english
xdotool windowmove "$(window "Marlo - Summary")" 620 0
shot Tessaly status-english

# Again with "Keep going" ticked: the outputs of the first run exist, so the run asks once
# (Enter skips them), goes on past d.tfw and lists it in the summary.
keys Tessaly alt+g                  # Keep going
batch_run
shot Marlo existing-outputs-english
keys Marlo Return                   # Skip existing
shot Marlo done-keep-going-english
keys Marlo Return
gone Marlo
shot "Marlo - Summary" summary-keep-going-english
shot Tessaly status-keep-going-english

# The map of the grid, in English and then in Polish (a new start of the program, the tables
# of the first run removed).
map_run() {  # FILE_DIALOG PROJECTION_WINDOW MESSAGE SUMMARY PICTURE
  keys Tessaly alt+o
  keys "$1" ctrl+a
  xdotool type --delay 20 "$scratch/grid/"
  keys "$1" Return ctrl+a
  xdotool type --delay 10 "$grid_names"
  keys "$1" Return
  typed "$2" 2180
  keys "$2" Return
  keys "$3" Return
  gone "$3"
  xdotool windowsize "$(window "$4")" 760 640
  shot "$4" "$5"
  keys "$4" Escape
}
map_run "Select files..." "Marlo - Select MapInfo projection" Marlo "Marlo - Summary" map-english
kill "${pids[2]}"
gone Tessaly
rm -f "$scratch/grid/"*.tab
build/bin/marlo >>"$scratch/marlo.log" 2>&1 &
pids+=($!)
window Tessaly >/dev/null
keys Tessaly Tab Tab space          # cmbOK -> cmdPL: Polish
map_run "Wybierz pliki..." "Marlo - wybierz projekcję MapInfo" Marlo "Marlo - podsumowanie" \
  map-polski
shot Tessaly status-map-polski
