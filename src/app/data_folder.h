// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// Where the program keeps its own files: $XDG_DATA_HOME/Olvessa, or ~/.local/share/Olvessa when
// the variable is unset (or not an absolute path, which the XDG rules say to ignore). Never the
// folder the program was started in, which may be a source checkout or wherever a launcher runs.
#include <QString>

namespace olv {

// The data folder; not created here.
QString data_folder();
// Its "backups" subfolder.
QString backups_folder();
// Creates the folder with its parents; false when it is not there afterwards.
bool ensure_folder(const QString& folder);

} // namespace olv
