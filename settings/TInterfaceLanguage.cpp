#include "settings/TInterfaceLanguage.h"

#include "platform/TRegistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

// "bg_BG.UTF-8@euro" -> "bg"
QString LanguageOf(const QString& Locale)
{
    QString Code = Locale;
    for (const QChar Stop : {QChar('_'), QChar('.'), QChar('@'), QChar('-')})
        Code = Code.section(Stop, 0, 0);
    return Code.toLower();
}

bool IsEnglish(const QString& Code)
{
    return Code == QLatin1String("en") || Code == QLatin1String("c") ||
           Code == QLatin1String("posix");
}

} // namespace

void TInterfaceLanguage::Load()
{
    TRegistry Reg(KEY_ALL_ACCESS);
    Reg.RootKey = TRootKey::HKEY_LOCAL_MACHINE;
    if (!Reg.OpenKey(QLatin1String(KeyName), false))
        return;
    if (const auto N = Reg.ReadDword(QStringLiteral("Language")); N && *N <= Bulgarian)
        Choice = int(*N);
    Reg.CloseKey();
}

void TInterfaceLanguage::Save() const
{
    TRegistry Reg(KEY_ALL_ACCESS);
    Reg.RootKey = TRootKey::HKEY_LOCAL_MACHINE;
    if (!Reg.OpenKey(QLatin1String(KeyName), true))
        return;
    Reg.WriteInteger(QStringLiteral("Language"), Choice);
    Reg.CloseKey();
}

QStringList TInterfaceLanguage::CatalogLanguages()
{
    return {QStringLiteral("bg")};
}

QString TInterfaceLanguage::Language(const std::function<QString(const char*)>& Environment) const
{
    if (Choice == English)
        return {};
    if (Choice == Bulgarian)
        return QStringLiteral("bg");
    // As gettext: the first of LC_ALL, LC_MESSAGES and LANG that is set names the locale; in the
    // C locale the windows stay English whatever LANGUAGE says; otherwise LANGUAGE, a list of
    // languages by preference, comes first.
    QString Locale;
    for (const char* Name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        Locale = Environment(Name);
        if (!Locale.isEmpty())
            break;
    }
    const QString LocaleLanguage = LanguageOf(Locale);
    if (Locale.isEmpty() || LocaleLanguage == QLatin1String("c") ||
        LocaleLanguage == QLatin1String("posix"))
        return {};
    QStringList Wanted;
    for (const QString& Entry : Environment("LANGUAGE").split(QChar(':'), Qt::SkipEmptyParts))
        Wanted << LanguageOf(Entry);
    Wanted << LocaleLanguage;
    for (const QString& Code : Wanted) {
        if (IsEnglish(Code))
            return {};
        if (CatalogLanguages().contains(Code))
            return Code;
    }
    return {};
}

QString TInterfaceLanguage::Language() const
{
    return Language([](const char* Name) { return qEnvironmentVariable(Name); });
}

QString TInterfaceLanguage::Install(QCoreApplication* Application, const QString& Language,
                                    QStringList CatalogFolders)
{
    if (Language.isEmpty() || !Application)
        return {};
    if (CatalogFolders.isEmpty()) {
        const QString Here = QCoreApplication::applicationDirPath();
        CatalogFolders << Here + QStringLiteral("/../share/vexlo-vocabulary/translations")
                       << Here + QStringLiteral("/translations");
    }
    auto* Own = new QTranslator(Application);
    bool Loaded = false;
    for (const QString& Folder : CatalogFolders) {
        if (Own->load(QStringLiteral("vexlo_") + Language, QDir::cleanPath(Folder))) {
            Loaded = true;
            break;
        }
    }
    if (!Loaded) {
        delete Own;
        return {};
    }
    // Qt's own texts: the buttons of message boxes, the file, print and colour dialogs.
    auto* Qt = new QTranslator(Application);
    if (Qt->load(QStringLiteral("qtbase_") + Language,
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(Qt);
    else
        delete Qt;
    QCoreApplication::installTranslator(Own);
    return Language;
}
