// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// A printout in two runs: a trial that counts its pages without drawing, then the real one,
// whose pages carry "Page N of M". More than 50 pages are printed only when the user agrees; the
// real run shows its progress and can be cancelled, which leaves no file behind.
#include <QString>
#include <functional>

class QPrinter;
class QWidget;

namespace olv {

class Page;
class Prompter;

enum class PrintOutcome { Printed, Declined, Cancelled, Failed };

// Pages above which the user is asked first.
inline constexpr int kPagesWithoutAsking = 50;

// `draw` draws the whole printout on the page it is given, from its first line; it runs twice.
PrintOutcome print_pages(QWidget* parent, Prompter& prompter, QPrinter& printer,
                         const std::function<void(Page&)>& draw);

} // namespace olv
