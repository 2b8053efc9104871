#pragma once

#include <QString>

#include <cstdint>

// One vocabulary entry as a value record. The texts are implicitly shared, so copying is cheap.
struct TEnBgRecord
{
    QString EnglishWord;
    QString BulgarianText; // lines separated by CR LF
    QString Transcription;
    int32_t WordLevel = 0; // 0..9 when written by this program; other tools may store other values
};
