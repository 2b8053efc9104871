// vexlo-kvtml-oracle [--grades] IN OUT
//
// Opens IN with KDE's vocabulary-document library and prints every entry it found, one a line:
// lesson TAB first-language text TAB its pronunciation TAB second-language text (line breaks in
// texts printed as \n, backslashes as \\). Then adds an entry of its own, "oracle" in lesson
// "Level 7", and saves the document as OUT (KVTML 2, or the library's comma-separated text when
// OUT ends in .csv) with the same library.
//
// With --grades, each line goes on with the grade of the second-language translation (the
// progress of practising first -> second): TAB Leitner box TAB times practised TAB errors TAB
// practice date (ISO 8601, UTC); and the added entry gets box 3, 5 times, 2 errors, practised
// 2026-11-20 08:00 UTC.
#include <QCoreApplication>
#include <QDateTime>
#include <QTextStream>
#include <QUrl>

#include <keduvocdocument.h>
#include <keduvocexpression.h>
#include <keduvoclesson.h>
#include <keduvoctranslation.h>

namespace {

QString Escaped(QString Text)
{
    Text.replace(QLatin1String("\\"), QLatin1String("\\\\"));
    Text.replace(QLatin1String("\r"), QLatin1String("\\r"));
    Text.replace(QLatin1String("\n"), QLatin1String("\\n"));
    return Text;
}

bool Grades = false;

void PrintLesson(QTextStream& Out, KEduVocContainer* Lesson)
{
    for (KEduVocExpression* Entry : Lesson->entries(KEduVocContainer::NotRecursive)) {
        Out << Escaped(Lesson->name()) << '\t' << Escaped(Entry->translation(0)->text()) << '\t'
            << Escaped(Entry->translation(0)->pronunciation()) << '\t'
            << Escaped(Entry->translation(1)->text());
        if (Grades) {
            const KEduVocTranslation* Second = Entry->translation(1);
            Out << '\t' << Second->grade() << '\t' << Second->practiceCount() << '\t'
                << Second->badCount() << '\t'
                << Second->practiceDate().toUTC().toString(Qt::ISODate);
        }
        Out << '\n';
    }
    for (KEduVocContainer* Child : Lesson->childContainers())
        PrintLesson(Out, Child);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication Application(argc, argv);
    QTextStream Out(stdout);
    QTextStream Err(stderr);
    Out.setCodec("UTF-8");
    Err.setCodec("UTF-8");
    Grades = argc == 4 && QByteArray(argv[1]) == "--grades";
    if (Grades) {
        --argc;
        ++argv;
    }
    if (argc != 3) {
        Err << "usage: vexlo-kvtml-oracle [--grades] IN OUT\n";
        return 2;
    }
    KEduVocDocument Document;
    const KEduVocDocument::ErrorCode Opened =
        Document.open(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[1])),
                      KEduVocDocument::FileIgnoreLock);
    if (Opened != KEduVocDocument::NoError) {
        Err << "cannot open: " << KEduVocDocument::errorDescription(Opened) << '\n';
        return 1;
    }
    Out << "identifiers\t" << Document.identifierCount() << '\n';
    PrintLesson(Out, Document.lesson());
    Out.flush();

    KEduVocLesson* Level7 = nullptr;
    for (KEduVocContainer* Child : Document.lesson()->childContainers())
        if (Child->name() == QLatin1String("Level 7"))
            Level7 = static_cast<KEduVocLesson*>(Child);
    if (!Level7) {
        Level7 = new KEduVocLesson(QStringLiteral("Level 7"), Document.lesson());
        Document.lesson()->appendChildContainer(Level7);
    }
    auto* Entry = new KEduVocExpression(QStringList{QStringLiteral("oracle"),
                                                    QString::fromUtf8("оракул\nпророк")});
    Entry->translation(0)->setPronunciation(QString::fromUtf8("ˈɒrəkl"));
    if (Grades) {
        KEduVocTranslation* Second = Entry->translation(1);
        Second->setGrade(3);
        Second->setPracticeCount(5);
        Second->setBadCount(2);
        Second->setPracticeDate(QDateTime(QDate(2026, 11, 20), QTime(8, 0), Qt::UTC));
    }
    Level7->appendEntry(Entry);
    const KEduVocDocument::ErrorCode Saved = Document.saveAs(
        QUrl::fromLocalFile(QString::fromLocal8Bit(argv[2])),
        QString::fromLocal8Bit(argv[2]).endsWith(QLatin1String(".csv")) ? KEduVocDocument::Csv
                                                                          : KEduVocDocument::Kvtml,
        KEduVocDocument::FileIgnoreLock);
    if (Saved != KEduVocDocument::NoError) {
        Err << "cannot save: " << KEduVocDocument::errorDescription(Saved) << '\n';
        return 1;
    }
    return 0;
}
