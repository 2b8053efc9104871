#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Gives each test its own hive file and its own XDG config folder.
class THiveFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        qputenv("VEXLO_REGISTRY", HivePath().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", Dir.filePath(QStringLiteral("config")).toLocal8Bit());
    }
    void TearDown() override
    {
        qunsetenv("VEXLO_REGISTRY");
        qunsetenv("XDG_CONFIG_HOME");
    }

    QString HivePath() const { return Dir.filePath(QStringLiteral("registry.reg")); }

    QByteArray HiveBytes() const
    {
        QFile F(HivePath());
        return F.open(QIODevice::ReadOnly) ? F.readAll() : QByteArray();
    }

    void WriteHive(const QByteArray& Bytes) const
    {
        QFile F(HivePath());
        ASSERT_TRUE(F.open(QIODevice::WriteOnly));
        F.write(Bytes);
    }

    QTemporaryDir Dir;
};
