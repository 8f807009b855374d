#!/usr/bin/env bash
# Starts marlo on a virtual X display and saves what a user sees: the main window in English
# and in Polish, the About window and the projection window in both languages, the projection
# window with a search, the progress window in the middle of a run and the status line after it;
# then, in each language, the window at the scale of a real folder: the map of a 2,000-sheet
# grid with one stray sheet, zoomed in on one sheet, the summary filtered to its failures, a
# cancelled run, and 10,000 files taken from the file dialog (Ctrl+A), the command line, a
# chosen folder with its subfolders and a dropped folder; and the choice to write into the images
# themselves, with its warning.
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

window() {  # waits (up to 10 minutes: a run of 10,000 files) for the shown window with
            # exactly this title and prints its id
  local id
  for _ in $(seq 3000); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) || true
    [ -n "$id" ] && echo "$id" && return 0
    sleep 0.2
  done
  echo "screenshots.sh: no window \"$1\"" >&2
  return 1
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

kill "${pids[3]}"
gone Tessaly

# ---------------------------------------------------------------------------------------------
# The window at the scale of a real folder. Sheets of 1 km (100 x 100 pixels of 10 m, one image
# linked under every name) in EPSG:2180: a 40 x 50 grid with one sheet 300 km east of it and
# three broken world files; a folder of 10,000 sheets; a tree of 10 folders of 1,000.
gdal_create -q -of GTiff -outsize 100 100 -bands 1 "$scratch/sheet100.tif"
python3 - "$scratch" <<'PYTHON'
import os, sys
root = sys.argv[1]
def sheet(folder, name, x, y):
    os.makedirs(folder, exist_ok=True)
    os.link(os.path.join(root, "sheet100.tif"), os.path.join(folder, name + ".tif"))
    with open(os.path.join(folder, name + ".tfw"), "w", newline="") as f:
        f.write("10\r\n0\r\n0\r\n-10\r\n%d\r\n%d\r\n" % (x + 5, y - 5))
def grid(folder, rows, columns, x0, y0, prefix=""):
    for row in range(rows):
        for column in range(columns):
            sheet(folder, "%sR%02d_C%02d" % (prefix, row + 1, column + 1),
                  x0 + column * 1000, y0 - row * 1000)
grid(root + "/series", 50, 40, 500000, 600000)
sheet(root + "/series", "stray", 840000, 600000)
for name, text in [("broken1", "this is not a world file\r\n"), ("broken2", "10\r\n0\r\n0\r\n"),
                   ("broken3", "10\r\n0\r\n0\r\n-10\r\n500000\r\nnorth\r\n")]:
    os.link(os.path.join(root, "sheet100.tif"), os.path.join(root, "series", name + ".tif"))
    with open(os.path.join(root, "series", name + ".tfw"), "w", newline="") as f:
        f.write(text)
grid(root + "/big", 100, 100, 300000, 700000)
for part in range(10):
    grid("%s/tree/part%02d" % (root, part), 25, 40, 300000 + part * 40000, 400000)
PYTHON

start_marlo() {  # starts the window with these arguments
  build/bin/marlo "$@" >>"$scratch/marlo.log" 2>&1 &
  marlo_pid=$!
  pids+=("$marlo_pid")
  # The main window in the bottom right corner, the summaries (850 wide) at the top left: the
  # status line is seen beside a summary.
  xdotool windowmove "$(window Tessaly)" 860 560
}
stop_marlo() {
  kill "$marlo_pid"
  gone Tessaly
}
tables_in() {  # counts the tables under a folder, notes the count and removes them
  local count
  count=$(find "$1" -name '*.tab' | wc -l)
  echo "$2: $count tables written" >>"$out/checks.txt"
  find "$1" -name '*.tab' -delete
}
pick_2180() {  # answers the projection window with EPSG:2180
  keys "$projection" ctrl+a BackSpace
  typed "$projection" 2180
  keys "$projection" Return
}
finish_run() {  # PICTURE: answers "Done!" and saves the summary of the run
  window Marlo >/dev/null
  keys Marlo Return
  gone Marlo
  xdotool windowsize "$(window "$summary")" 850 720
  xdotool windowmove "$(window "$summary")" 0 0
  shot "$summary" "$1"
}

framed() {  # saves the window with this title in its window manager's frame: the title whole?
  local id
  id=$(window "$1")
  sleep 0.8
  import -frame -window "$id" "$out/$2.png"
  echo "saved $out/$2.png"
}

scale_pictures() {  # LANGUAGE (english or polski)
  local language=$1
  if [ "$language" = english ]; then
    files="Select files..." projection="Marlo - Select MapInfo projection"
    summary="Marlo - Summary" progress="Marlo - Converting" folder="Choose a folder..."
    folder_key=alt+c subfolders_key=alt+s failed_key=alt+f
  else
    files="Wybierz pliki..." projection="Marlo - wybierz projekcję MapInfo"
    summary="Marlo - podsumowanie" progress="Marlo - konwersja" folder="Wybierz katalog..."
    folder_key=alt+k subfolders_key=alt+t failed_key=alt+t
  fi
  # World files to tables, going on past a failed file.
  printf '[Settings]\nLanguage=%s\nInputFormat=tfw\nOutputFormat=tab\nKeepGoing=1\n' \
    "$language" >"$XDG_CONFIG_HOME/Marlo.ini"

  # The series, named on the command line: the map (only the stray sheet red), one sheet
  # zoomed in on, and the failures alone.
  start_marlo "$scratch"/series/*.tfw
  shot Tessaly "scale-chosen-$language"
  keys Tessaly Return
  pick_2180
  window Marlo >/dev/null
  framed Marlo "scale-done-$language"
  finish_run "scale-map-$language"
  shot Tessaly "scale-status-$language"
  # Down the list to a sheet: the map centres it; the wheel over the map's middle zooms in, and
  # choosing the row again centres it in the zoomed view.
  keys "$summary" Down Down Down Down Down Down Down
  xdotool mousemove --window "$(window "$summary")" 425 500
  for _ in $(seq 24); do xdotool click 4; sleep 0.05; done
  keys "$summary" Down Up
  xdotool mousemove 5 5
  shot "$summary" "scale-map-zoomed-$language"
  keys "$summary" "$failed_key"
  shot "$summary" "scale-failed-only-$language"
  keys "$summary" "$failed_key" Escape
  gone "$summary"
  stop_marlo
  tables_in "$scratch/series" "series ($language)"

  # Ctrl+A in the file dialog on the 10,000-file folder, then Open.
  start_marlo
  keys Tessaly alt+o
  keys "$files" ctrl+a
  xdotool type --delay 20 "$scratch/big/"
  keys "$files" Return
  sleep 5                           # the dialog lists the folder's 20,000 files
  # From the name field back to the list, and Ctrl+A: every world file of the folder, which
  # the dialog takes some seconds to write into its name field.
  keys "$files" shift+Tab ctrl+a
  sleep 20
  shot "$files" "scale-select-all-$language"
  keys "$files" alt+o
  pick_2180
  finish_run "scale-select-all-summary-$language"
  keys "$summary" Escape
  tables_in "$scratch/big" "Ctrl+A + Open ($language)"

  # "Choose a folder..." with its subfolders: the tree.
  keys Tessaly "$subfolders_key" "$folder_key"
  keys "$folder" ctrl+a
  xdotool type --delay 20 "$scratch/tree"
  keys "$folder" Return
  sleep 1
  if xdotool search --onlyvisible --name "^$folder\$" >/dev/null; then keys "$folder" Return; fi
  shot Tessaly "scale-folder-chosen-$language"
  keys Tessaly alt+o                # OK (the focus is on "Choose a folder...")
  pick_2180
  finish_run "scale-folder-summary-$language"
  keys "$summary" Escape
  tables_in "$scratch/tree" "Choose a folder, with subfolders ($language)"

  # A run cancelled in its progress window (Esc): every world file under the scratch folder
  # (the series, the big folder and the tree, 22,000 of them), so that the run is still going
  # when Esc comes. Should it end first all the same, that is noted, never waited on. The tables
  # of the first pictures go first: no existing outputs to ask about.
  find "$scratch" -name '*.tab' -delete
  keys Tessaly "$folder_key"
  keys "$folder" ctrl+a
  xdotool type --delay 20 "$scratch"
  keys "$folder" Return
  sleep 1
  if xdotool search --onlyvisible --name "^$folder\$" >/dev/null; then keys "$folder" Return; fi
  keys Tessaly alt+o                # OK (the focus is on "Choose a folder...")
  pick_2180
  window "$progress" >/dev/null
  framed "$progress" "scale-progress-$language"
  local running
  running=$(xdotool search --onlyvisible --name "^$progress\$" 2>/dev/null | head -n 1) || true
  if [ -n "$running" ] && xdotool windowfocus --sync "$running" 2>/dev/null; then
    xdotool key Escape
  else
    echo "cancelled run ($language): the run ended before Esc" | tee -a "$out/checks.txt" >&2
    keys Marlo Return
  fi
  xdotool windowsize "$(window "$summary")" 850 720
  xdotool windowmove "$(window "$summary")" 0 0
  shot "$summary" "scale-cancelled-$language"
  keys "$summary" Escape
  gone "$summary"
  shot Tessaly "scale-cancelled-status-$language"
  stop_marlo
  tables_in "$scratch" "cancelled ($language)"

  # A dropped folder: xdotool cannot drop, so the folder is named on the command line, which
  # enters the window through the very procedure a drop calls (ConvertWindow::ChooseFiles);
  # the drop event itself is the QTest ScaleTest's.
  start_marlo "$scratch/big"
  shot Tessaly "scale-dropped-folder-$language"
  keys Tessaly Return
  pick_2180
  finish_run "scale-dropped-folder-summary-$language"
  stop_marlo
  tables_in "$scratch/big" "dropped folder ($language)"

  # 10,000 files named on the command line.
  start_marlo "$scratch"/big/*.tfw
  shot Tessaly "scale-named-files-$language"
  keys Tessaly Return
  pick_2180
  finish_run "scale-named-files-summary-$language"
  stop_marlo
  tables_in "$scratch/big" "marlo FILE... ($language)"
}
scale_pictures english
scale_pictures polski

# The choice to write the georeference into the images themselves, ticked, with its warning:
# world files in, GeoTIFF out, clicked where the window puts them (the language is Polish
# here, as the last pictures left it).
click() {  # TITLE X Y: clicks at this place inside the window with this title
  xdotool mousemove --window "$(window "$1")" "$2" "$3" click 1
  sleep 0.5
}
start_marlo
click Tessaly 30 101                # Convert from: tfw
click Tessaly 232 49                # Convert to: geotiff
click Tessaly 18 194                # chkInPlace
shot Tessaly in-place-polski
click Tessaly 195 240               # cmdEN, below the warning
shot Tessaly in-place-english
stop_marlo
echo "pictures in $out"
