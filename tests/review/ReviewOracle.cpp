#include "ReviewOracle.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

#include "../store/StoreTestSupport.h"

#include <gtest/gtest.h>

TOracle TOracle::Find()
{
    TOracle Oracle;
    Oracle.Node = QStandardPaths::findExecutable(QStringLiteral("node"));
    if (Oracle.Node.isEmpty()) {
        Oracle.NodeMissing = true;
        Oracle.Why = "Node is not installed (tools/deps.sh installs the Debian package nodejs)";
        return Oracle;
    }
    const QString Dir = qEnvironmentVariableIsSet("VEXLO_FSRS_ORACLE")
                            ? qEnvironmentVariable("VEXLO_FSRS_ORACLE")
                            : QStringLiteral(VEXLO_BINARY_DIR "/fsrs-oracle");
    Oracle.Script = Dir + QStringLiteral("/oracle.js");
    if (!QFileInfo::exists(Dir + QStringLiteral("/node_modules/ts-fsrs/package.json")) ||
        !QFileInfo::exists(Oracle.Script))
        Oracle.Why = "the reference scheduler is not installed in " + Dir.toStdString() +
                     "; run tools/fsrs-oracle.sh (tools/test.sh does)";
    return Oracle;
}

std::vector<std::vector<TOracleStep>> TOracle::Run(const std::vector<TOracleCase>& Cases) const
{
    QByteArray Input;
    for (const TOracleCase& Case : Cases) {
        QJsonArray Reviews;
        for (const auto& [Time, Grade] : Case.Reviews)
            Reviews.append(QJsonArray{static_cast<double>(Time), Grade});
        const QJsonObject Object{{"retention", Case.Retention},
                                 {"maximum", Case.Maximum},
                                 {"reviews", Reviews}};
        Input += QJsonDocument(Object).toJson(QJsonDocument::Compact) + '\n';
    }
    QProcess Process;
    Process.start(Node, {Script});
    if (!Process.waitForStarted(-1)) {
        ADD_FAILURE() << "Node does not start: " << Process.errorString().toStdString();
        return {};
    }
    Process.write(Input);
    Process.closeWriteChannel();
    Process.waitForFinished(-1);
    if (Process.exitCode() != 0) {
        ADD_FAILURE() << "the oracle failed: " << Process.readAllStandardError().toStdString();
        return {};
    }
    std::vector<std::vector<TOracleStep>> Result;
    for (const QByteArray& Line : Process.readAllStandardOutput().split('\n')) {
        if (Line.trimmed().isEmpty())
            continue;
        std::vector<TOracleStep> Steps;
        for (const QJsonValue& V : QJsonDocument::fromJson(Line).array()) {
            const QJsonObject O = V.toObject();
            Steps.push_back({O["s"].toDouble(), O["d"].toDouble(),
                             static_cast<int64_t>(O["due"].toDouble()), O["ivl"].toInt(),
                             O["reps"].toInt(), O["lapses"].toInt(), O["elapsed"].toInt()});
        }
        Result.push_back(std::move(Steps));
    }
    if (Result.size() != Cases.size())
        ADD_FAILURE() << "the oracle answered " << Result.size() << " of " << Cases.size()
                      << " cases";
    return Result;
}

std::vector<TOracleCase> RandomCases(uint32_t Seed, int Count, int MaxLength)
{
    std::mt19937 Random(Seed);
    const double Retentions[] = {0.9, 0.8, 0.95, 0.7, 0.99};
    const int32_t Maximums[] = {36500, 365, 30, 7};
    std::vector<TOracleCase> Cases;
    for (int C = 0; C < Count; ++C) {
        TOracleCase Case;
        Case.Retention = Retentions[Random() % std::size(Retentions)];
        Case.Maximum = Maximums[Random() % std::size(Maximums)];
        int64_t Time = 1'700'000'000'000 + int64_t(Random() % 1'000'000'000);
        const int Length = 1 + static_cast<int>(Random() % static_cast<uint32_t>(MaxLength));
        for (int I = 0; I < Length; ++I) {
            Case.Reviews.emplace_back(Time, 1 + static_cast<int>(Random() % 4));
            switch (Random() % 4) {
            case 0: // the same day or the next
                Time += int64_t(Random() % 36) * 3'600'000;
                break;
            case 1: // around a week
                Time += int64_t(Random() % (10 * 86'400)) * 1000;
                break;
            default: // up to a few months
                Time += int64_t(Random() % (120 * 86'400)) * 1000;
            }
        }
        Cases.push_back(std::move(Case));
    }
    return Cases;
}

void ExpectFileMatchesOracle(const QString& Path, const std::map<QString, TOracleCase>& Given,
                             const TOracle& Oracle)
{
    std::vector<QString> Words;
    std::vector<TOracleCase> Cases;
    for (const auto& [Word, Case] : Given) {
        Words.push_back(Word);
        Cases.push_back(Case);
    }
    const auto Expected = Oracle.Run(Cases);
    ASSERT_EQ(Expected.size(), Cases.size());
    for (size_t W = 0; W < Words.size(); ++W) {
        const std::string Where = Words[W].toStdString();
        const std::string Key = "Word = '" + Where + "'";
        const TOracleStep& Last = Expected[W].back();
        EXPECT_NEAR(std::stod(RawText(Path, "SELECT Stability FROM VexloReview WHERE " + Key)),
                    Last.Stability, 1e-6 * std::max(1.0, Last.Stability))
            << Where;
        EXPECT_NEAR(std::stod(RawText(Path, "SELECT Difficulty FROM VexloReview WHERE " + Key)),
                    Last.Difficulty, 1e-6)
            << Where;
        EXPECT_EQ(std::stoll(RawText(Path, "SELECT Due FROM VexloReview WHERE " + Key)), Last.Due)
            << Where;
        EXPECT_EQ(std::stoi(RawText(Path, "SELECT Reps || '' FROM VexloReview WHERE " + Key)),
                  Last.Reps)
            << Where;
        EXPECT_EQ(std::stoi(RawText(Path, "SELECT Lapses FROM VexloReview WHERE " + Key)),
                  Last.Lapses)
            << Where;
        std::string Want;
        for (size_t I = 0; I < Expected[W].size(); ++I)
            Want += (I ? "," : "") + std::to_string(Cases[W].Reviews[I].first) + "/" +
                    std::to_string(Cases[W].Reviews[I].second) + ":" +
                    std::to_string(Expected[W][I].Elapsed);
        EXPECT_EQ(RawText(Path, "SELECT group_concat(Time || '/' || Grade || ':' || ElapsedDays) "
                                "FROM (SELECT * FROM VexloReviewLog WHERE " + Key +
                                    " ORDER BY rowid)"),
                  Want)
            << Where;
    }
}
