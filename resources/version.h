// velnart's version, in the two forms the version resource needs: four numbers for
// the fixed part and the text shown in the file's properties. Plain macros, because
// the resource compiler reads this file too.
#pragma once

#define VELNART_VERSION_NUMBERS 1, 0, 0, 0
#define VELNART_VERSION_TEXT "1.00"
