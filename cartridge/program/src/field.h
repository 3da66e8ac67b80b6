/* Inside bank 5: the field view's pieces. */
#ifndef QGU_FIELD_H
#define QGU_FIELD_H

#include "nes.h"

void field_palette_set(void);

#endif
