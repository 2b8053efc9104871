#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Small dictd dictionaries made by Debian's dictfmt and dictzip in a temporary folder.
struct TDictdFixture
{
    struct TArticle
    {
        QString Headword;
        QString Text; // the entry as it stands in the data file, first line included
    };

    QTemporaryDir Dir;

    // Makes Dir/Name.index and Dir/Name.dict (and, if Compress, Name.dict.dz in its place by
    // dictzip); returns the index's path. Fails the test when a tool is missing or fails.
    QString Make(const QString& Name, const QList<TArticle>& Articles, bool Compress = true);
    QString Path(const QString& File) const { return Dir.filePath(File); }
};

// The dictionary the package dict-freedict-eng-bul installs (the test command installs it).
QString FreeDictIndex();

// Runs a program; its standard output, or a test failure naming it and its error output.
QByteArray RunTool(const QString& Program, const QStringList& Arguments,
                   const QByteArray& Input = {}, const QString& Directory = {});
