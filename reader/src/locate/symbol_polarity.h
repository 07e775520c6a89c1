// Which way round a found symbol is printed, told from the grey of its L.
//
// The finder also accepts the outline of a label around a symbol: a plain label on a
// ground of another grey has clean straight sides too. A true L is one module of solid
// ink: just inside its legs the grey is darker (dark symbol) or lighter (light symbol)
// than both the ground just outside and the mixed modules of the interior. Just inside a
// label's outline lies its quiet zone, which is lighter than the interior (where the dark
// modules are) and differs from the ground outside in either direction.
#pragma once

#include "kit/image.h"
#include "idread/locate.h"

// Whether the symbol (client coordinates of the image) has the polarity; always true for
// idread_polarityAny.
bool idread_symbol_hasPolarity(const cimg_image* image, const idread_symbol& symbol,
                             idread_polarity polarity);
