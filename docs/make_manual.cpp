// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Olvessa.project developers
// Lays out the user guide from its Markdown source into a PDF file:
//   olvessa_manual <manual.md> <manual.pdf>
// Run with QT_QPA_PLATFORM=offscreen; it needs fonts but no display.
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <cstdio>

namespace {

int fail(const QString& text) {
    std::fprintf(stderr, "olvessa_manual: %s\n", qPrintable(text));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 3)
        return fail(QStringLiteral("usage: olvessa_manual <manual.md> <manual.pdf>"));
    const QString source_path = QString::fromLocal8Bit(argv[1]);
    const QString pdf_path = QString::fromLocal8Bit(argv[2]);

    QFile source(source_path);
    if (!source.open(QIODevice::ReadOnly | QIODevice::Text))
        return fail(QStringLiteral("cannot read %1").arg(source_path));

    QTextDocument document;
    document.setDefaultFont(QFont(QStringLiteral("Arial"), 11));
    document.setMarkdown(QString::fromUtf8(source.readAll()), QTextDocument::MarkdownDialectGitHub);
    if (document.isEmpty())
        return fail(QStringLiteral("%1 holds no text").arg(source_path));

    // Written beside the target first, so an interrupted run never leaves half a guide.
    const QString partial = pdf_path + QStringLiteral(".part");
    {
        QPdfWriter writer(partial);
        writer.setTitle(QStringLiteral("Olvessa.project User Guide"));
        writer.setCreator(QStringLiteral("Olvessa.project"));
        writer.setResolution(300);
        // QTextDocument::print lays the text out inside a 2 cm margin of its own.
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
        document.print(&writer);
    }
    if (QFileInfo(partial).size() == 0)
        return fail(QStringLiteral("nothing was written to %1").arg(partial));
    QFile::remove(pdf_path);
    if (!QFile::rename(partial, pdf_path))
        return fail(QStringLiteral("cannot write %1").arg(pdf_path));
    return 0;
}
