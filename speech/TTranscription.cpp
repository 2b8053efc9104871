#include "speech/TTranscription.h"

#include <QList>
#include <QSet>
#include <QStringList>

namespace {

constexpr QChar Primary(0x02C8);   // ˈ
constexpr QChar Secondary(0x02CC); // ˌ
constexpr QChar Long(0x02D0);      // ː
// The dictionary writes its primary stress with the modifier grave accent, as the editor's
// palette and the pages do.
constexpr QChar DictionaryStress(0x02CB); // ˋ

bool IsStress(QChar C)
{
    return C == Primary || C == Secondary;
}

bool IsVowel(QChar C)
{
    static const QString Vowels = QStringLiteral("iɪeɛæaɑɒɔʌəɜʊuoɐɚɝᵻyøœɘɵɤɯɨʉɞ");
    return Vowels.contains(C);
}

// One unit of a word: a stress mark, a vowel (with its length mark and diacritics) or a
// consonant (tʃ and dʒ count as one).
struct TSegment
{
    enum TKind
    {
        Stress,
        Vowel,
        Consonant
    } Kind;
    QString Text;
};

QList<TSegment> Segments(const QString& Word)
{
    QList<TSegment> Result;
    for (int I = 0; I < Word.size(); ++I) {
        const QChar C = Word[I];
        const bool Mark = C.category() == QChar::Mark_NonSpacing ||
                          C.category() == QChar::Letter_Modifier || C == Long;
        if (IsStress(C)) {
            Result.append({TSegment::Stress, QString(C)});
        } else if (Mark && !Result.isEmpty() && Result.last().Kind != TSegment::Stress) {
            Result.last().Text += C;
        } else if (IsVowel(C)) {
            Result.append({TSegment::Vowel, QString(C)});
        } else if ((C == u'ʃ' || C == u'ʒ') && !Result.isEmpty() &&
                   (Result.last().Text == QLatin1String("t") ||
                    Result.last().Text == QLatin1String("d"))) {
            Result.last().Text += C;
        } else {
            Result.append({TSegment::Consonant, QString(C)});
        }
    }
    return Result;
}

QString Join(const QList<TSegment>& Segments)
{
    QString Result;
    for (const TSegment& S : Segments)
        Result += S.Text;
    return Result;
}

// Whether the consonants can begin an English syllable.
bool IsOnset(const QStringList& Consonants)
{
    static const QSet<QString> Pairs = {
        "pl", "pr", "bl", "br", "tr", "dr", "kl", "kr", "ɡl", "ɡr", "fl", "fr", "θr", "ʃr",
        "sp", "st", "sk", "sm", "sn", "sl", "sw", "sf", "tw", "dw", "kw", "ɡw", "θw", "pj",
        "bj", "tj", "dj", "kj", "ɡj", "mj", "nj", "fj", "vj", "hj", "lj", "sj", "zj", "θj"};
    static const QSet<QString> Triples = {"spl", "spr", "str", "skr", "skw",
                                          "spj", "stj", "skj", "smj"};
    const QString Joined = Consonants.join(QString());
    switch (Consonants.size()) {
    case 0:
        return true;
    case 1:
        return Joined != QLatin1String("ŋ");
    case 2:
        return Pairs.contains(Joined);
    case 3:
        return Triples.contains(Joined);
    default:
        return false;
    }
}

// Syllable nuclei: vowels, a diphthong counting once.
int NucleusCount(const QList<TSegment>& Segments)
{
    static const QSet<QString> Diphthongs = {"eɪ", "aɪ", "ɔɪ", "əʊ", "aʊ", "ɪə",
                                             "eə", "ʊə", "oʊ", "ɛə", "æɪ", "ɑɪ"};
    int Count = 0;
    QString Previous;
    for (const TSegment& S : Segments) {
        if (S.Kind != TSegment::Vowel) {
            Previous.clear();
            continue;
        }
        if (!Previous.isEmpty() && Diphthongs.contains(Previous + S.Text)) {
            Previous.clear();
            continue;
        }
        ++Count;
        Previous = S.Text;
    }
    return Count;
}

QString ReplaceSymbols(const QString& Word)
{
    QString Out;
    for (int I = 0; I < Word.size(); ++I) {
        const QChar C = Word[I];
        const QChar Next = I + 1 < Word.size() ? Word[I + 1] : QChar();
        switch (C.unicode()) {
        case u'ɹ':
        case u'ɻ':
            Out += u'r';
            break;
        case u'ɾ':
            Out += u't';
            break;
        case u'ɐ':
            Out += u'ə';
            break;
        case u'ᵻ':
            Out += u'ɪ';
            break;
        case u'ɛ':
            Out += u'e';
            break;
        case u'ɫ':
            Out += u'l';
            break;
        case u'ɚ':
            Out += QStringLiteral("ər");
            break;
        case u'ɝ':
            Out += QStringLiteral("ɜːr");
            if (Next == Long)
                ++I;
            break;
        case u'a':
            // The a of the diphthongs aɪ and aʊ stays; alone it is the vowel of "cat".
            if (Next == u'ɪ' || Next == u'ʊ')
                Out += u'a';
            else if (Next == Long)
                Out += u'ɑ';
            else
                Out += u'æ';
            break;
        case 0x0361: // tie bar
        case 0x035C:
            break;
        default:
            Out += C;
        }
    }
    return Out;
}

QString ConvertWord(const QString& Espeak, bool OnlyWord)
{
    QList<TSegment> S = Segments(ReplaceSymbols(Espeak));
    const int Nuclei = NucleusCount(S);

    // uː before another vowel is written short (ˈdʒenjuɪn, ɪmˈpetʃuəs).
    for (int I = 0; I + 1 < S.size(); ++I)
        if (S[I].Kind == TSegment::Vowel && S[I].Text == QStringLiteral("uː") &&
            S[I + 1].Kind == TSegment::Vowel)
            S[I].Text = QStringLiteral("u");

    // The weak i of "happy" and of "alleviate": an ɪ after a consonant that ends the word or
    // stands before a vowel other than ə (ɪə being the vowel of "near").
    for (int I = 0; I < S.size(); ++I) {
        if (S[I].Kind != TSegment::Vowel || S[I].Text != QStringLiteral("ɪ"))
            continue;
        int Next = I + 1;
        while (Next < S.size() && S[Next].Kind == TSegment::Stress)
            ++Next;
        const bool AfterConsonant = I > 0 && S[I - 1].Kind == TSegment::Consonant;
        const bool Final = Next == S.size();
        const bool BeforeVowel = Next < S.size() && S[Next].Kind == TSegment::Vowel &&
                                 !S[Next].Text.startsWith(QStringLiteral("ə"));
        if (AfterConsonant && (Final || BeforeVowel))
            S[I].Text = QStringLiteral("i");
    }

    // Stress marks go before the onset of their syllable.
    for (int I = 0; I < S.size(); ++I) {
        if (S[I].Kind != TSegment::Stress)
            continue;
        int Start = I;
        while (Start > 0 && S[Start - 1].Kind == TSegment::Consonant)
            --Start;
        int Onset = Start;
        for (; Onset < I; ++Onset) {
            QStringList Run;
            for (int K = Onset; K < I; ++K)
                Run.append(S[K].Text);
            if (IsOnset(Run))
                break;
        }
        if (Onset < I) {
            const TSegment Mark = S.takeAt(I);
            S.insert(Onset, Mark);
        }
    }

    // A final schwa before l or n becomes a syllabic consonant where the dictionaries write one.
    auto IsConsonantAt = [&S](int I) {
        return I >= 0 && I < S.size() && S[I].Kind == TSegment::Consonant;
    };
    const int N = S.size();
    if (N >= 3 && S[N - 2].Text == QStringLiteral("ə") && IsConsonantAt(N - 3)) {
        const QString Before = S[N - 3].Text;
        const QString Last = S[N - 1].Text;
        static const QSet<QString> NotBeforeL = {"r", "l", "w", "j", "ŋ"};
        static const QSet<QString> BeforeN = {"t", "d", "s", "z", "ʃ", "ʒ"};
        if ((Last == QLatin1String("l") && !NotBeforeL.contains(Before)) ||
            (Last == QLatin1String("n") && BeforeN.contains(Before)))
            S.removeAt(N - 2);
    } else if (N >= 4 && S[N - 1].Text == QLatin1String("t") &&
               S[N - 2].Text == QLatin1String("n") && S[N - 3].Text == QStringLiteral("ə") &&
               IsConsonantAt(N - 4)) {
        static const QSet<QString> Fricatives = {"s", "z", "ʃ", "ʒ"};
        if (Fricatives.contains(S[N - 4].Text))
            S.removeAt(N - 3);
    }

    // A word of one syllable on its own carries no stress mark.
    if (OnlyWord && Nuclei <= 1)
        S.removeIf([](const TSegment& Seg) { return Seg.Kind == TSegment::Stress; });
    return Join(S);
}

} // namespace

namespace TTranscription {

QString FromEspeak(const QString& Ipa)
{
    const QStringList Words = Ipa.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QStringList Out;
    for (const QString& Word : Words)
        Out.append(ConvertWord(Word, Words.size() == 1));
    return Out.join(QLatin1Char(' ')).replace(Primary, DictionaryStress);
}

QString Suggest(const QString& English, TSpeechVoice Voice)
{
    return FromEspeak(TSpeechEngine::Phonemes(English, Voice));
}

} // namespace TTranscription
