#define VEXLO_NOTECARD_BUILD
#include "notecard/NoteCard.h"
