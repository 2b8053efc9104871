#pragma once

#include <QString>
#include <QStringList>

// The forms an inflected English word may come from, for finding it in a reference dictionary
// that lists only base forms. The rules, tried in this order (each gives a candidate; the caller
// takes the first one the dictionary has):
//
//  1. irregular forms from a table: verbs (ran → run, went → go, written → write), comparisons
//     (better → good, worse → bad), plurals (men → man, children → child, knives → knife);
//  2. a possessive 's goes: teacher's → teacher;
//  3. plurals and third persons: -ies → -y (flies → fly), -ves → -f, -fe (halves → half),
//     -es → - (boxes → box), -s → - (houses → house; not after s: glass stays);
//  4. past tenses and participles: -ied → -y (tried → try), -ed → -e (used → use), -ed → -
//     (worked → work), a doubled final consonant undone (stopped → stop);
//  5. -ing: -ying → -ie (lying → lie), -ing → -e (making → make), -ing → - (reading → read),
//     doubled consonant undone (running → run);
//  6. comparisons: -ier/-iest → -y (happier → happy), -er/-est → -e (later → late),
//     -er/-est → - (lighter → light), doubled consonant undone (bigger → big);
//  7. adverbs: -ily → -y (happily → happy), -ly → - (quickly → quick).
//
// Candidates shorter than two letters are not offered. The word itself is not among them.
namespace TInflection {

QStringList BaseForms(const QString& Word);

} // namespace TInflection
