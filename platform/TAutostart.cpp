#include "platform/TAutostart.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <climits>
#include <unistd.h>

namespace TAutostart {
namespace {

QString& ProgramOverride()
{
    static QString Path;
    return Path;
}

QString ConfigHome()
{
    QString Config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (Config.isEmpty() || QDir::isRelativePath(Config))
        Config = QDir::homePath() + QLatin1String("/.config");
    return Config;
}

// One argument of an Exec line: quoted when it holds a reserved character, and inside the quotes
// '"', '`', '$' and '\' escaped with a backslash. A '%' is doubled so it is not a field code.
QString ExecArgument(const QString& Arg)
{
    static const QString Reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool NeedsQuotes = Arg.isEmpty();
    for (QChar C : Arg)
        if (Reserved.contains(C))
            NeedsQuotes = true;
    QString Out;
    for (QChar C : Arg) {
        if (C == QLatin1Char('%')) {
            Out += QLatin1String("%%");
            continue;
        }
        if (NeedsQuotes && (C == QLatin1Char('"') || C == QLatin1Char('`') ||
                            C == QLatin1Char('$') || C == QLatin1Char('\\')))
            Out += QLatin1Char('\\');
        Out += C;
    }
    return NeedsQuotes ? QLatin1Char('"') + Out + QLatin1Char('"') : Out;
}

// The string escapes of a desktop entry value.
QString EscapeValue(const QString& Value)
{
    QString Out;
    for (QChar C : Value) {
        if (C == QLatin1Char('\\'))
            Out += QLatin1String("\\\\");
        else if (C == QLatin1Char('\n'))
            Out += QLatin1String("\\n");
        else if (C == QLatin1Char('\t'))
            Out += QLatin1String("\\t");
        else if (C == QLatin1Char('\r'))
            Out += QLatin1String("\\r");
        else
            Out += C;
    }
    return Out;
}

} // namespace

QString ProgramPath()
{
    if (!ProgramOverride().isEmpty())
        return ProgramOverride();
    // The file's name exactly as the system has it. A name that is not text (not UTF-8) cannot
    // be written into an entry that starts the program: then there is none.
    char Buffer[PATH_MAX];
    const ssize_t Length = ::readlink("/proc/self/exe", Buffer, sizeof(Buffer));
    if (Length > 0 && Length < ssize_t(sizeof(Buffer))) {
        QStringDecoder Decoder(QStringDecoder::Utf8);
        const QString Path = Decoder(QByteArrayView(Buffer, Length));
        return Decoder.hasError() ? QString() : Path;
    }
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return {};
}

void SetProgramPath(const QString& Path)
{
    ProgramOverride() = Path;
}

QString RunCommand(const QString& Program)
{
    const bool Spaced = Program.contains(QLatin1Char(' ')) || Program.contains(QLatin1Char('\t'));
    const QString Path = Spaced ? QLatin1Char('"') + Program + QLatin1Char('"') : Program;
    return Path + QLatin1String(" startup");
}

QString DesktopEntryPath()
{
    return ConfigHome() + QLatin1String("/autostart/vexlo-vocabulary.desktop");
}

QString DesktopExec(const QString& Program)
{
    return ExecArgument(Program) + QLatin1String(" startup");
}

QByteArray DesktopEntry(const QString& Program)
{
    QString Text =
        QStringLiteral("[Desktop Entry]\n"
                       "Type=Application\n"
                       "Name=Vexlo Vocabulary 2007\n"
                       "Comment=English-Bulgarian vocabulary, started hidden in the tray\n"
                       "Comment[bg]=Англо-български речник, пуснат скрит в системната област\n"
                       "Icon=vexlo-vocabulary\n");
    // Once the program is removed, desktops skip an entry whose TryExec names no program.
    Text += QLatin1String("TryExec=") + EscapeValue(Program) + QLatin1Char('\n');
    Text += QLatin1String("Exec=") + EscapeValue(DesktopExec(Program)) + QLatin1Char('\n');
    Text += QStringLiteral("Terminal=false\n"
                           "X-GNOME-Autostart-enabled=true\n");
    return Text.toUtf8();
}

bool SetDesktopEntry(bool Enabled)
{
    const QString Path = DesktopEntryPath();
    if (!Enabled)
        return !QFileInfo::exists(Path) || QFile::remove(Path);
    const QString Program = ProgramPath();
    if (Program.isEmpty())
        return false; // an entry with no program in it would start nothing
    if (!QDir().mkpath(QFileInfo(Path).absolutePath()))
        return false;
    QSaveFile Out(Path);
    if (!Out.open(QIODevice::WriteOnly))
        return false;
    Out.write(DesktopEntry(Program));
    return Out.commit();
}

bool DesktopEntryExists()
{
    return QFileInfo::exists(DesktopEntryPath());
}

} // namespace TAutostart
