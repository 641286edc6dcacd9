#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 The Olvessa.project developers
# Renders the program's desktop icon, icons/project.olvessa.Olvessa.svg (the banner's clock over
# the About picture's coins), into the PNG sizes of the hicolor theme. The results are kept in
# the repository, so building and installing never need this script or ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/icons"
for size in 16 24 32 48 64 128 256; do
    convert -background none -density 384 project.olvessa.Olvessa.svg -resize "${size}x${size}" \
        -strip -define png:exclude-chunks=date,time "PNG32:project.olvessa.Olvessa-$size.png"
done
