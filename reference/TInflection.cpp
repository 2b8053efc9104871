#include "reference/TInflection.h"

#include <QHash>

namespace {

const QHash<QString, QString>& Irregular()
{
    static const QHash<QString, QString> Table = [] {
        // base: forms
        static const char* const Rows[][3] = {
            {"be", "was", "were"},       {"be", "been", "is"},         {"be", "are", "am"},
            {"go", "went", "gone"},      {"have", "had", "has"},       {"do", "did", "done"},
            {"make", "made", ""},        {"say", "said", ""},          {"take", "took", "taken"},
            {"come", "came", ""},        {"see", "saw", "seen"},       {"know", "knew", "known"},
            {"get", "got", "gotten"},    {"give", "gave", "given"},    {"find", "found", ""},
            {"think", "thought", ""},    {"tell", "told", ""},         {"become", "became", ""},
            {"leave", "left", ""},       {"feel", "felt", ""},         {"bring", "brought", ""},
            {"begin", "began", "begun"}, {"keep", "kept", ""},         {"hold", "held", ""},
            {"write", "wrote", "written"}, {"stand", "stood", ""},     {"hear", "heard", ""},
            {"mean", "meant", ""},       {"meet", "met", ""},          {"pay", "paid", ""},
            {"sit", "sat", ""},          {"speak", "spoke", "spoken"}, {"lie", "lay", "lain"},
            {"lead", "led", ""},         {"grow", "grew", "grown"},    {"lose", "lost", ""},
            {"fall", "fell", "fallen"},  {"send", "sent", ""},         {"build", "built", ""},
            {"understand", "understood", ""}, {"draw", "drew", "drawn"},
            {"break", "broke", "broken"}, {"spend", "spent", ""},      {"rise", "rose", "risen"},
            {"drive", "drove", "driven"}, {"buy", "bought", ""},       {"wear", "wore", "worn"},
            {"choose", "chose", "chosen"}, {"seek", "sought", ""},     {"throw", "threw", "thrown"},
            {"catch", "caught", ""},     {"deal", "dealt", ""},        {"win", "won", ""},
            {"fight", "fought", ""},     {"teach", "taught", ""},      {"eat", "ate", "eaten"},
            {"sell", "sold", ""},        {"fly", "flew", "flown"},     {"forget", "forgot", "forgotten"},
            {"hang", "hung", ""},        {"sing", "sang", "sung"},     {"swim", "swam", "swum"},
            {"sleep", "slept", ""},      {"shoot", "shot", ""},        {"hide", "hid", "hidden"},
            {"bite", "bit", "bitten"},   {"ride", "rode", "ridden"},   {"strike", "struck", ""},
            {"wake", "woke", "woken"},   {"freeze", "froze", "frozen"}, {"steal", "stole", "stolen"},
            {"run", "ran", ""},          {"drink", "drank", "drunk"},  {"ring", "rang", "rung"},
            {"forgive", "forgave", "forgiven"}, {"shake", "shook", "shaken"},
            {"feed", "fed", ""},         {"flee", "fled", ""},         {"bleed", "bled", ""},
            {"good", "better", "best"},  {"bad", "worse", "worst"},    {"much", "more", "most"},
            {"little", "less", "least"}, {"far", "further", "furthest"},
            {"man", "men", ""},          {"woman", "women", ""},       {"child", "children", ""},
            {"foot", "feet", ""},        {"tooth", "teeth", ""},       {"mouse", "mice", ""},
            {"goose", "geese", ""},      {"person", "people", ""},     {"life", "lives", ""},
            {"knife", "knives", ""},     {"wife", "wives", ""},        {"leaf", "leaves", ""},
            {"half", "halves", ""},      {"wolf", "wolves", ""},       {"shelf", "shelves", ""},
            {"thief", "thieves", ""},    {"ox", "oxen", ""},
        };
        QHash<QString, QString> Forms;
        for (const auto& Row : Rows)
            for (int I = 1; I < 3; ++I)
                if (*Row[I])
                    Forms.insert(QString::fromLatin1(Row[I]), QString::fromLatin1(Row[0]));
        return Forms;
    }();
    return Table;
}

bool IsVowel(QChar C)
{
    return QStringLiteral("aeiou").contains(C);
}

// "stopp" → "stop", "bigg" → "big": a doubled consonant at the end undone.
bool Undouble(const QString& Stem, QString* Out)
{
    const qsizetype N = Stem.size();
    if (N < 3 || Stem[N - 1] != Stem[N - 2] || IsVowel(Stem[N - 1]) ||
        QStringLiteral("lsz").contains(Stem[N - 1]))
        return false;
    *Out = Stem.left(N - 1);
    return true;
}

} // namespace

namespace TInflection {

QStringList BaseForms(const QString& Word)
{
    const QString W = Word.trimmed().toLower();
    QStringList Out;
    auto Add = [&Out, &W](const QString& Candidate) {
        if (Candidate.size() >= 2 && Candidate != W && !Out.contains(Candidate))
            Out.append(Candidate);
    };
    auto Cut = [&W](int N) { return W.left(W.size() - N); };
    auto Ends = [&W](const char* Suffix) { return W.endsWith(QLatin1String(Suffix)); };

    if (const auto It = Irregular().constFind(W); It != Irregular().constEnd())
        Add(It.value());
    if (Ends("'s") || Ends("\u2019s"))
        Add(Cut(2));
    if (Ends("ies")) {
        Add(Cut(3) + QLatin1Char('y'));
    } else if (Ends("ves")) {
        Add(Cut(3) + QLatin1Char('f'));
        Add(Cut(3) + QStringLiteral("fe"));
    }
    if (Ends("es"))
        Add(Cut(2));
    if (Ends("s") && !Ends("ss") && !Ends("'s"))
        Add(Cut(1));
    QString Undoubled;
    if (Ends("ied")) {
        Add(Cut(3) + QLatin1Char('y'));
    } else if (Ends("ed")) {
        Add(Cut(1));
        Add(Cut(2));
        if (Undouble(Cut(2), &Undoubled))
            Add(Undoubled);
    }
    if (Ends("ying"))
        Add(Cut(4) + QStringLiteral("ie"));
    if (Ends("ing")) {
        Add(Cut(3) + QLatin1Char('e'));
        Add(Cut(3));
        if (Undouble(Cut(3), &Undoubled))
            Add(Undoubled);
    }
    for (const char* Suffix : {"er", "est"}) {
        if (!Ends(Suffix))
            continue;
        const int N = static_cast<int>(qstrlen(Suffix));
        if (W.size() > N && W[W.size() - N - 1] == QLatin1Char('i'))
            Add(Cut(N + 1) + QLatin1Char('y'));
        Add(Cut(N - 1));
        Add(Cut(N));
        if (Undouble(Cut(N), &Undoubled))
            Add(Undoubled);
    }
    if (Ends("ily"))
        Add(Cut(3) + QLatin1Char('y'));
    else if (Ends("ly"))
        Add(Cut(2));
    return Out;
}

} // namespace TInflection
