// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// The program's artwork, compiled in: icons 0, 1, 2, 10, 12, 14, 15, 16 (16 x 16), 4, 5, 6, 7, 8
// (32 x 32) and the pictures 13 (banner, 350 x 70) and 17 (About, 288 x 206).
#include <QIcon>
#include <QPixmap>

namespace olv {

namespace image {
constexpr int Client = 0;
constexpr int Task = 1;
constexpr int Objective = 2;
constexpr int NewItem = 4;
constexpr int EditItem = 5;
constexpr int DeleteItem = 6;
constexpr int StopTimers = 7;
constexpr int ToDoList = 8;
constexpr int User = 10;
constexpr int Project = 12;
constexpr int Banner = 13;
constexpr int Accepted = 14;
constexpr int Complete = 15;
constexpr int Overdue = 16;
constexpr int About = 17;
} // namespace image

QPixmap program_image(int number);
QIcon program_icon(int number);

} // namespace olv
