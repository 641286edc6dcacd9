// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
#pragma once
// Small helpers for the store tests: a real database file in a temporary folder, and the list
// of statements the engine really ran on a connection (its own trace, read back by name from
// the loaded library).
#include "store/operations.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <dlfcn.h>
#include <sqlite3.h>

#include <string>

namespace olv::testing {

inline std::string file_in(const QTemporaryDir& dir, const char* name) {
    return dir.filePath(QString::fromLatin1(name)).toStdString();
}

// A store with the engine loaded and a new database (user "Ann") open as the current one.
struct NewDatabase {
    QTemporaryDir dir;
    std::string path;
    Store store;

    explicit NewDatabase(const std::string& user = "Ann") {
        path = file_in(dir, "work.db");
        store.db.load_engine();
        create_database(store, path, user);
    }
};

// A second connection on the same file, to see what really reached the database.
struct Probe {
    AccessLayer db;
    explicit Probe(const std::string& path) {
        db.load_engine();
        db.open_database(path);
    }
    // The first column of every row, "" for NULL.
    QStringList column(const std::string& statement) {
        QStringList values;
        if (db.query_table(statement) != 0)
            return {
                QStringLiteral("<query failed: %1>").arg(QString::fromStdString(db.last_error()))};
        const int rows = db.row_count();
        for (int i = 1; i <= rows; ++i)
            values << QString::fromStdString(db.cell_text(i, 0));
        return values;
    }
    QString value(const std::string& statement) {
        const QStringList values = column(statement);
        return values.isEmpty() ? QString() : values.front();
    }
};

// Every statement the engine starts on the store's current connection, trigger bodies left out.
class StatementTrace {
public:
    explicit StatementTrace(Store& store) : handle_(current_handle(store)) {
        using TraceFn = int (*)(sqlite3*, unsigned, int (*)(unsigned, void*, void*, void*), void*);
        trace_ = reinterpret_cast<TraceFn>(dlsym(store.db.engine_loaded(), "sqlite3_trace_v2"));
        if (trace_ && handle_)
            trace_(handle_, SQLITE_TRACE_STMT, &StatementTrace::record, this);
    }
    ~StatementTrace() {
        if (trace_ && handle_)
            trace_(handle_, 0, nullptr, nullptr);
    }
    StatementTrace(const StatementTrace&) = delete;
    StatementTrace& operator=(const StatementTrace&) = delete;

    bool active() const { return trace_ && handle_; }
    const QStringList& statements() const { return statements_; }
    void clear() { statements_.clear(); }

private:
    static sqlite3* current_handle(Store& store) {
        return static_cast<sqlite3*>(store.db.current_handle());
    }

    static int record(unsigned, void* self, void*, void* sql) {
        const QString text = QString::fromUtf8(static_cast<const char*>(sql));
        if (!text.startsWith(QLatin1String("--")))
            static_cast<StatementTrace*>(self)->statements_ << text;
        return 0;
    }

    sqlite3* handle_;
    int (*trace_)(sqlite3*, unsigned, int (*)(unsigned, void*, void*, void*), void*) = nullptr;
    QStringList statements_;
};

inline void write_file(const std::string& path, const QByteArray& bytes) {
    QFile file(QString::fromStdString(path));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace olv::testing
