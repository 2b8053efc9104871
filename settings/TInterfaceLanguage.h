#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QCoreApplication;

// Which language the windows speak: the user's locale (as gettext reads it: LANGUAGE, then
// LC_ALL, LC_MESSAGES and LANG), or a choice made in Options. Kept in the program's key's subkey
// "Interface" (value "Language": 0 the system's, 1 English, 2 Bulgarian). English is the source
// text, so it needs no catalog; every other language has one, vexlo_<code>.qm.
struct TInterfaceLanguage
{
    enum TChoice { System = 0, English = 1, Bulgarian = 2 };
    int Choice = System;

    // Reads the subkey over the current value; a missing or malformed value changes nothing.
    void Load();
    // Throws ERegistryException when the value cannot be written.
    void Save() const;

    // The language code of Choice ("bg"), the one the locale asks for when Choice is System, or
    // an empty text for English. Environment gives a variable's value (empty when unset).
    QString Language(const std::function<QString(const char*)>& Environment) const;
    // The same, from the process's environment.
    QString Language() const;

    // Loads the program's catalog and Qt's own for Language into the application, searching
    // CatalogFolders (the installed folder and the build's when empty). Returns the code of the
    // language that was installed, or an empty text when the windows stay English.
    static QString Install(QCoreApplication* Application, const QString& Language,
                           QStringList CatalogFolders = {});
    // The languages with a catalog, besides English.
    static QStringList CatalogLanguages();

    static constexpr const char* KeyName = "Software\\Norvane\\Vocabulary\\Interface";
};
