// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// Columns of fixed width cut long texts short; pointing at such a cell or column head shows its
// whole text in a tool tip. Texts that fit show none.
class QTableView;
class QTreeView;

namespace olv {

// Installs the tool tips on the view's cells and on its column heads.
void install_cut_text_tips(QTreeView* view);
void install_cut_text_tips(QTableView* view);

} // namespace olv
