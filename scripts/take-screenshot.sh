#!/usr/bin/env bash
# Takes docs/screenshot.png: the main window of the built program on a private X server (Xvfb),
# showing a small sample of work, with a task's time entries beside the tree. Run it after
# `make program`; the result is kept in the repository, so building never needs this script.
# Needs Xvfb, xdotool, ImageMagick's `import` and python3 (which writes the sample database).
# Arguments: the program (build/bin/olvessa), the picture (docs/screenshot.png).
set -euo pipefail
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build/bin/olvessa}")
picture=${2:-docs/screenshot.png}
display=":${OLV_SCREENSHOT_DISPLAY:-71}"

work=$(mktemp -d)
xvfb_pid=""
program_pid=""
cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null && wait "$program_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# The sample: one freelancer, three clients, their projects, objectives and tasks, and two weeks
# of time entries on the selected task. The tables are the program's own.
python3 - "$work/sample.db" <<'EOF'
import sqlite3, sys, datetime
db = sqlite3.connect(sys.argv[1])
db.executescript("""
create table users(key integer primary key, userID text, user_View integer,
  user_Currency text, user_DateFormat text);
create table clients(key integer primary key, client_name text, client_rate float);
create table project(key integer primary key, project_title text, client_key integer,
  project_date integer, project_end integer, project_note text, project_rate float);
create table objectives(key integer primary key, ob_complete boolean, ob_title text,
  Project_key integer, ob_date integer, ob_end integer, ob_notes text);
create table task(key integer primary key, task_complete boolean, task_title text,
  Obj_key integer, Task_Date integer, Task_End integer, Task_Notes text, Task_Billed boolean,
  task_checked boolean);
create table Task_Detail(key integer primary key, Task_Key integer, Time integer,
  date integer, billed boolean);
""")
def day(y, m, d):
    return int(datetime.datetime(y, m, d, tzinfo=datetime.timezone.utc).timestamp())
# Tree positions count depth-first from the user (0); position 5 is the task "Home page".
db.execute("insert into users values(1, 'Sam Carter', 5, '£', '%dd/%mm/%yyyy')")
clients = [(1, 'Acme Bakery', 45.0), (2, 'Northwind Books', 55.0), (3, 'Riverside Dental', 50.0)]
db.executemany("insert into clients values(?, ?, ?)", clients)
projects = [(1, 'Website redesign', 1, day(2026, 11, 2), day(2027, 1, 29), 'Launch before the spring menu.', 45.0),
            (2, 'Online shop', 2, day(2026, 10, 5), day(2027, 2, 26), '', 55.0),
            (3, 'Booking system', 3, day(2026, 9, 1), day(2026, 12, 18), '', 50.0)]
db.executemany("insert into project values(?, ?, ?, ?, ?, ?, ?)", projects)
objectives = [(1, 0, 'Design', 1, day(2026, 11, 2), day(2026, 12, 18), ''),
              (2, 0, 'Build', 1, day(2026, 12, 1), day(2027, 1, 29), ''),
              (3, 0, 'Catalogue', 2, day(2026, 10, 5), day(2027, 1, 15), ''),
              (4, 1, 'Calendar', 3, day(2026, 9, 1), day(2026, 11, 30), '')]
db.executemany("insert into objectives values(?, ?, ?, ?, ?, ?, ?)", objectives)
tasks = [(1, 0, 'Home page', 1, day(2026, 11, 23), day(2026, 12, 11), 'Two layouts for the first review.', 0, 0),
         (2, 0, 'Menu pages', 1, day(2026, 11, 30), day(2026, 12, 18), '', 0, 0),
         (3, 0, 'Contact form', 2, day(2026, 12, 1), day(2027, 1, 8), '', 0, 0),
         (4, 0, 'Product import', 3, day(2026, 10, 5), day(2026, 12, 4), '', 0, 0),
         (5, 1, 'Week view', 4, day(2026, 9, 1), day(2026, 11, 20), '', 1, 1)]
db.executemany("insert into task values(?, ?, ?, ?, ?, ?, ?, ?, ?)", tasks)
entries = []
key = 1
for n, (d, seconds) in enumerate([(23, 9000), (24, 11700), (25, 6300), (26, 14400), (27, 5400),
                                  (30, 10800)]):
    entries.append((key, 1, seconds, day(2026, 11, d), 1)); key += 1
for d, seconds in [(1, 12600), (2, 7200), (3, 9900), (4, 4500), (7, 8100), (8, 3600)]:
    entries.append((key, 1, seconds, day(2026, 12, d), 0)); key += 1
for task in (2, 3, 4, 5):
    for d in (1, 2, 3):
        entries.append((key, task, 3600 * task, day(2026, 12, d), task == 5)); key += 1
db.executemany("insert into Task_Detail values(?, ?, ?, ?, ?)", entries)
db.commit()
EOF

settings="$work/settings.conf"
printf '[General]\nUserName=Sam Carter\nDefault%%20Database=%s\n' "$work/sample.db" >"$settings"

Xvfb "$display" -screen 0 1024x700x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do
    DISPLAY=$display xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
done

DISPLAY=$display HOME=$work XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config \
    OLVESSA_SETTINGS=$settings QT_QPA_PLATFORM=xcb "$program" >/dev/null 2>&1 &
program_pid=$!
window=$(DISPLAY=$display timeout 20 xdotool search --sync --onlyvisible --name '^Olvessa.project$' |
    head -n 1)
# Let the tree, the list and the icons settle.
sleep 2
DISPLAY=$display import -window "$window" "$picture"
echo "wrote $picture"
