#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 The Olvessa.project developers
# Draws the program's artwork with ImageMagick: tree icons (16 x 16), tool bar icons (32 x 32),
# the banner (350 x 70) and the About picture (288 x 206). The results are kept in the
# repository, so building the program never needs this script or its tools.
set -euo pipefail
cd "$(dirname "$0")"

# Without the time stamps a rerun gives the same files.
png_opts=(-strip -define png:exclude-chunks=date,time)
font=DejaVu-Sans-Bold
if ! convert -list font | grep -q "Font: $font\$"; then
    font=Helvetica-Bold
fi

icon16() { # number, drawing arguments...
    local n=$1
    shift
    convert -size 16x16 xc:none "$@" "${png_opts[@]}" "PNG32:$n.png"
}

icon32() {
    local n=$1
    shift
    convert -size 32x32 xc:none "$@" "${png_opts[@]}" "PNG32:$n.png"
}

# 0 client: a person in a blue jacket.
icon16 0 -stroke '#1d3f7a' -strokewidth 1 \
    -fill '#f2c9a0' -draw 'circle 8,4.5 8,1.5' \
    -fill '#3b6fc4' -draw 'roundrectangle 2.5,9 13.5,15 3,3'

# 1 task: a small sheet with two lines of text.
icon16 1 -stroke '#555555' -strokewidth 1 -fill '#ffffff' -draw 'rectangle 3.5,1.5 12.5,14.5' \
    -stroke '#3b6fc4' -draw 'line 5,5 11,5' -draw 'line 5,8 11,8' -draw 'line 5,11 9,11'

# 2 objective: a target.
icon16 2 -stroke none -fill '#c62828' -draw 'circle 8,8 8,1' \
    -fill '#ffffff' -draw 'circle 8,8 8,3.5' \
    -fill '#c62828' -draw 'circle 8,8 8,5.5'

# 10 user: a person in a green shirt with a dark outline.
icon16 10 -stroke '#2e5d1f' -strokewidth 1 \
    -fill '#f2c9a0' -draw 'circle 8,4.5 8,1.5' \
    -fill '#4caf50' -draw 'roundrectangle 2.5,9 13.5,15 3,3' \
    -stroke '#2e5d1f' -draw 'line 8,9 8,15'

# 12 project: a yellow folder.
icon16 12 -stroke '#9a6b00' -strokewidth 1 -fill '#f5c542' \
    -draw 'polygon 1.5,4.5 6,4.5 7.5,2.5 14.5,2.5 14.5,13.5 1.5,13.5' \
    -fill '#ffd966' -draw 'rectangle 1.5,6.5 14.5,13.5'

# 14 accepted: a white tick on a green disc.
icon16 14 -stroke none -fill '#2e9d3a' -draw 'circle 8,8 8,1' \
    -stroke '#ffffff' -strokewidth 2 -fill none -draw 'polyline 4.5,8 7,10.5 11.5,5'

# 15 complete: a blue tick in a box.
icon16 15 -stroke '#1d3f7a' -strokewidth 1 -fill '#ffffff' -draw 'rectangle 1.5,1.5 14.5,14.5' \
    -stroke '#2457b5' -strokewidth 2 -fill none -draw 'polyline 4,8 7,11 12,4.5'

# 16 overdue: a red clock.
icon16 16 -stroke '#8b0000' -strokewidth 1 -fill '#e53935' -draw 'circle 8,8 8,1.5' \
    -fill '#ffffff' -draw 'circle 8,8 8,3.5' \
    -stroke '#8b0000' -draw 'line 8,8 8,5' -draw 'line 8,8 10.5,9.5'

# 4 new item: a sheet with a green plus.
icon32 4 -stroke '#555555' -strokewidth 1 -fill '#ffffff' \
    -draw 'polygon 5.5,2.5 19.5,2.5 25.5,8.5 25.5,29.5 5.5,29.5' \
    -fill '#dddddd' -draw 'polygon 19.5,2.5 19.5,8.5 25.5,8.5' \
    -stroke none -fill '#2e9d3a' -draw 'circle 23,23 23,15' \
    -fill '#ffffff' -draw 'rectangle 22,18 24,28' -draw 'rectangle 18,22 28,24'

# 5 edit item: a sheet with a pencil across it.
icon32 5 -stroke '#555555' -strokewidth 1 -fill '#ffffff' -draw 'rectangle 4.5,2.5 22.5,29.5' \
    -stroke '#3b6fc4' -draw 'line 7,8 20,8' -draw 'line 7,12 20,12' -draw 'line 7,16 16,16' \
    -stroke '#6b4a00' -fill '#f5b400' -draw 'polygon 27,6 30,9 15,24 12,21' \
    -fill '#f2c9a0' -draw 'polygon 12,21 15,24 10,26' \
    -stroke none -fill '#333333' -draw 'polygon 10.8,24.2 11.8,25.2 10,26'

# 6 delete item: a sheet crossed out in red.
icon32 6 -stroke '#555555' -strokewidth 1 -fill '#ffffff' -draw 'rectangle 5.5,2.5 24.5,29.5' \
    -stroke '#3b6fc4' -draw 'line 8,8 21,8' -draw 'line 8,12 21,12' \
    -stroke '#d32f2f' -strokewidth 4 -draw 'line 10,12 28,28' -draw 'line 28,12 10,28'

# 7 stop timers: a stopwatch with a red stop square.
icon32 7 -stroke '#444444' -strokewidth 2 -fill '#eeeeee' -draw 'circle 16,18 16,5' \
    -stroke none -fill '#444444' -draw 'rectangle 13,1 19,4' -draw 'rectangle 15,3 17,6' \
    -fill '#d32f2f' -draw 'roundrectangle 10,12 22,24 2,2'

# 8 to-do list: a clipboard with ticked lines.
icon32 8 -stroke '#6b4a00' -strokewidth 1 -fill '#c58a3a' -draw 'roundrectangle 4.5,3.5 27.5,30.5 3,3' \
    -stroke '#777777' -fill '#ffffff' -draw 'rectangle 7.5,7.5 24.5,28.5' \
    -stroke none -fill '#888888' -draw 'roundrectangle 11,1 21,6 2,2' \
    -stroke '#2e9d3a' -strokewidth 2 -fill none -draw 'polyline 9,12 10.5,13.5 13,10' \
    -draw 'polyline 9,18 10.5,19.5 13,16' \
    -stroke '#d32f2f' -draw 'line 9.5,23.5 12.5,26.5' -draw 'line 12.5,23.5 9.5,26.5' \
    -stroke '#3b6fc4' -strokewidth 1 -draw 'line 15,12 22,12' -draw 'line 15,18 22,18' \
    -draw 'line 15,25 22,25'

# 13 banner: the product name beside a clock on a blue gradient.
convert -size 350x70 gradient:'#1f3c73'-'#4f86c6' \
    -stroke '#ffffff' -strokewidth 3 -fill '#2b4f8f' -draw 'circle 35,35 35,9' \
    -strokewidth 2 -draw 'line 35,35 35,18' -draw 'line 35,35 47,41' \
    -stroke none -fill '#ffd54f' -draw 'circle 35,35 35,32' \
    -font "$font" -pointsize 30 -fill '#ffffff' -annotate +74+44 'Olvessa.project' \
    -pointsize 11 -fill '#dce7f5' -annotate +76+61 'time tracking for freelancers' \
    -strip -quality 92 13.jpg

# 17 About picture: a large clock face over coins on a warm gradient, with the product name.
convert -size 288x206 gradient:'#fff3d6'-'#f0b860' \
    -stroke '#7a4f00' -strokewidth 2 -fill '#f7d774' \
    -draw 'ellipse 208,168 34,10 0,360' -draw 'ellipse 208,156 34,10 0,360' \
    -draw 'ellipse 208,144 34,10 0,360' \
    -stroke '#1f3c73' -strokewidth 5 -fill '#ffffff' -draw 'circle 100,96 100,24' \
    -stroke '#1f3c73' -strokewidth 3 \
    -draw 'line 100,30 100,40' -draw 'line 100,152 100,162' \
    -draw 'line 34,96 44,96' -draw 'line 156,96 166,96' \
    -strokewidth 4 -draw 'line 100,96 100,52' -strokewidth 3 -draw 'line 100,96 134,114' \
    -stroke none -fill '#d32f2f' -draw 'circle 100,96 100,90' \
    -font "$font" -pointsize 22 -fill '#1f3c73' -annotate +24+196 'Olvessa.project' \
    -strip -quality 92 17.jpg

cat >assets.qrc <<'EOF'
<!DOCTYPE RCC>
<RCC version="1.0">
<qresource prefix="/images">
EOF
for n in 0 1 2 4 5 6 7 8 10 12 14 15 16; do
    echo "    <file>$n.png</file>" >>assets.qrc
done
for n in 13 17; do
    echo "    <file>$n.jpg</file>" >>assets.qrc
done
cat >>assets.qrc <<'EOF'
</qresource>
</RCC>
EOF
