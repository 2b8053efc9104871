#include "ReferenceFixtures.h"

#include "reference/TReference.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

QString FreeDictIndex()
{
    return TReference::DefaultIndexPath();
}

QByteArray RunTool(const QString& Program, const QStringList& Arguments, const QByteArray& Input,
                   const QString& Directory)
{
    QProcess P;
    if (!Directory.isEmpty())
        P.setWorkingDirectory(Directory);
    P.start(Program, Arguments);
    if (!P.waitForStarted(-1)) {
        ADD_FAILURE() << Program.toStdString()
                      << " cannot be started (the test command installs dictfmt and dictzip)";
        return {};
    }
    P.write(Input);
    P.closeWriteChannel();
    P.waitForFinished(-1);
    if (P.exitStatus() != QProcess::NormalExit || P.exitCode() != 0)
        ADD_FAILURE() << Program.toStdString() << " failed: " << P.readAllStandardError().toStdString();
    return P.readAllStandardOutput();
}

QString TDictdFixture::Make(const QString& Name, const QList<TArticle>& Articles, bool Compress)
{
    // dictfmt -c5: each article follows a line of underscores and its headword's line.
    QByteArray Input;
    for (const TArticle& A : Articles)
        Input += "_____\n\n" + A.Headword.toUtf8() + "\n" + A.Text.toUtf8() + "\n\n";
    RunTool(QStringLiteral("dictfmt"),
            {QStringLiteral("-c5"), QStringLiteral("--utf8"), QStringLiteral("--without-headword"),
             QStringLiteral("--columns"), QStringLiteral("0"), QStringLiteral("--quiet"),
             QStringLiteral("-s"), Name, Name},
            Input, Dir.path());
    if (Compress)
        RunTool(QStringLiteral("dictzip"), {Name + QStringLiteral(".dict")}, {}, Dir.path());
    return Dir.filePath(Name + QStringLiteral(".index"));
}
