#pragma once

#include <QIcon>

// The program's own small pictures, drawn in code so that they stay sharp at every scale.
namespace TMenuImages {

// MenuImageList: 0 green plus, 1 pencil, 2 red cross, 3 table with a red cross, 4 two green
// arrows pointing left and right, 5 window with a wrench, 6 blue letter i, 7 blue question mark,
// 8 page of text, 9 house, 10 window with a red cross.
enum TMenuImage
{
    miPlus = 0,
    miPencil,
    miCross,
    miTableCross,
    miArrows,
    miWindowWrench,
    miInformation,
    miQuestion,
    miPage,
    miHouse,
    miWindowCross,
    MenuImageCount
};
QIcon MenuImage(int Index);

// IconsList, the images of the tray menu: 0 green triangle pointing right, 1 red disc, 2 house,
// 3 blue question mark, 4 window, 5 window with a red cross.
enum TIconsListImage
{
    iiStart = 0,
    iiStop,
    iiHouse,
    iiQuestion,
    iiWindow,
    iiWindowCross,
    IconsListCount
};
QIcon IconsListImage(int Index);

// Glyphs of the navigator.
enum TNavigateGlyph
{
    ngFirst,
    ngPrior,
    ngNext,
    ngLast
};
// The navigator's arrows, in Ink (their navy unless the palette needs another).
inline const QColor NavigatorInk{0x2c, 0x3a, 0x52};
QIcon NavigatorGlyph(TNavigateGlyph Glyph, const QColor& Ink = NavigatorInk);

// The application icon: an open dictionary.
QIcon ApplicationIcon();

// The speaker of the Speak commands, and the check mark of the dialogs' OK buttons.
QIcon SpeakerGlyph();
QIcon CheckMarkGlyph();

} // namespace TMenuImages
