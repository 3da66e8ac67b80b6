/* Sound effects (asm/sound.s). */
#ifndef QGU_SOUND_H
#define QGU_SOUND_H

#define SFX_WHISTLE 1
#define SFX_SCORE   2
#define SFX_HORN    3
#define SFX_BLIP    4
#define SFX_THUD    5
#define SFX_KICK    6

#endif
