#include "settings/TInterfaceLanguage.h"

#include "platform/TRegistry.h"

#include <QMap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The language the windows speak, from the locale variables as gettext reads them, and the choice
// in Options over them.
TEST(InterfaceLanguage, LocaleVariablesAndTheChoiceInOptions)
{
    struct TCase
    {
        int Choice;
        QMap<QByteArray, QString> Environment;
        const char* Expected;
    } const Cases[] = {
        {TInterfaceLanguage::System, {}, ""},
        {TInterfaceLanguage::System, {{"LANG", "C"}}, ""},
        {TInterfaceLanguage::System, {{"LANG", "en_US.UTF-8"}}, ""},
        {TInterfaceLanguage::System, {{"LANG", "bg_BG.UTF-8"}}, "bg"},
        {TInterfaceLanguage::System, {{"LANG", "bg_BG"}, {"LC_MESSAGES", "en_GB.UTF-8"}}, ""},
        {TInterfaceLanguage::System, {{"LANG", "en_US.UTF-8"}, {"LC_MESSAGES", "bg_BG.UTF-8"}}, "bg"},
        {TInterfaceLanguage::System, {{"LC_ALL", "bg_BG.UTF-8"}, {"LC_MESSAGES", "C"}}, "bg"},
        {TInterfaceLanguage::System, {{"LC_ALL", "C"}, {"LANGUAGE", "bg"}}, ""},
        {TInterfaceLanguage::System, {{"LANG", "POSIX"}, {"LANGUAGE", "bg"}}, ""},
        {TInterfaceLanguage::System, {{"LANG", "en_US.UTF-8"}, {"LANGUAGE", "bg"}}, "bg"},
        {TInterfaceLanguage::System, {{"LANG", "de_DE.UTF-8"}, {"LANGUAGE", "fr:bg:en"}}, "bg"},
        {TInterfaceLanguage::System, {{"LANG", "bg_BG.UTF-8"}, {"LANGUAGE", "en:bg"}}, ""},
        {TInterfaceLanguage::System, {{"LANG", "bg_BG.UTF-8"}, {"LANGUAGE", "fr"}}, "bg"},
        {TInterfaceLanguage::System, {{"LANG", "de_DE.UTF-8"}}, ""},
        {TInterfaceLanguage::System, {{"LANG", "bg_BG.UTF-8@euro"}, {"LANGUAGE", ""}}, "bg"},
        {TInterfaceLanguage::English, {{"LANG", "bg_BG.UTF-8"}, {"LANGUAGE", "bg"}}, ""},
        {TInterfaceLanguage::Bulgarian, {{"LANG", "C"}}, "bg"},
        {TInterfaceLanguage::Bulgarian, {}, "bg"},
    };
    for (const TCase& C : Cases) {
        TInterfaceLanguage Language;
        Language.Choice = C.Choice;
        const QString Got = Language.Language(
            [&C](const char* Name) { return C.Environment.value(QByteArray(Name)); });
        QStringList Shown;
        for (auto It = C.Environment.begin(); It != C.Environment.end(); ++It)
            Shown << QString::fromLatin1(It.key()) + '=' + It.value();
        EXPECT_EQ(Got.toStdString(), C.Expected)
            << "choice " << C.Choice << ", " << Shown.join(' ').toStdString();
    }
}

// Kept in the hive under the program's key, subkey "Interface"; a value out of range or of another
// type leaves the choice as it was.
TEST(InterfaceLanguage, KeptInTheSettingsHive)
{
    QTemporaryDir Dir;
    ASSERT_TRUE(Dir.isValid());
    qputenv("VEXLO_REGISTRY", Dir.filePath("registry.reg").toUtf8());
    TInterfaceLanguage Saved;
    Saved.Choice = TInterfaceLanguage::Bulgarian;
    Saved.Save();
    TInterfaceLanguage Loaded;
    Loaded.Load();
    EXPECT_EQ(Loaded.Choice, TInterfaceLanguage::Bulgarian);
    for (const uint32_t Bad : {3u, 0xFFFFFFFFu}) {
        TRegistry Reg;
        ASSERT_TRUE(Reg.OpenKey(QLatin1String(TInterfaceLanguage::KeyName), true));
        Reg.WriteInteger(QStringLiteral("Language"), int32_t(Bad));
        Reg.CloseKey();
        TInterfaceLanguage Kept;
        Kept.Choice = TInterfaceLanguage::English;
        Kept.Load();
        EXPECT_EQ(Kept.Choice, TInterfaceLanguage::English) << Bad;
    }
    qunsetenv("VEXLO_REGISTRY");
}

} // namespace
