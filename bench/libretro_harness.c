/* libretro-harness: runs a cartridge image for a number of frames on any
 * libretro core (loaded with dlopen), with no picture shown, no sound played
 * and no buttons pressed, so that qgu-run can be timed against another
 * emulator on the same frames (see docs/performance.md).
 *
 *   libretro-harness /usr/lib/x86_64-linux-gnu/libretro/nestopia_libretro.so IMAGE --frames 3000
 */
#include <dlfcn.h>
#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

/* The few parts of the libretro interface the harness uses. */
struct retro_game_info {
  const char* path;
  const void* data;
  size_t size;
  const char* meta;
};

enum {
  kEnvironmentGetSystemDirectory = 9,
  kEnvironmentSetPixelFormat = 10,
  kEnvironmentGetSaveDirectory = 31,
};

typedef bool (*EnvironmentFn)(unsigned command, void* data);
typedef void (*VideoFn)(const void* data, unsigned width, unsigned height, size_t pitch);
typedef void (*SampleFn)(int16_t left, int16_t right);
typedef size_t (*SampleBatchFn)(const int16_t* data, size_t frames);
typedef void (*PollFn)(void);
typedef int16_t (*InputStateFn)(unsigned port, unsigned device, unsigned index, unsigned id);

static const char* gFolder = ".";
static unsigned long gVideoFrames = 0;

static bool Environment(unsigned command, void* data) {
  switch (command) {
    case kEnvironmentGetSystemDirectory:
    case kEnvironmentGetSaveDirectory:
      *(const char**)data = gFolder;
      return true;
    case kEnvironmentSetPixelFormat:
      return true;
    default:
      return false;
  }
}
static void Video(const void* data, unsigned width, unsigned height, size_t pitch) {
  (void)data, (void)width, (void)height, (void)pitch;
  ++gVideoFrames;
}
static void Sample(int16_t left, int16_t right) { (void)left, (void)right; }
static size_t SampleBatch(const int16_t* data, size_t frames) {
  (void)data;
  return frames;
}
static void Poll(void) {}
static int16_t InputState(unsigned port, unsigned device, unsigned index, unsigned id) {
  (void)port, (void)device, (void)index, (void)id;
  return 0;
}

static void* Symbol(void* core, const char* name) {
  void* symbol = dlsym(core, name);
  if (symbol == NULL) {
    fprintf(stderr, "libretro-harness: the core has no %s\n", name);
    exit(1);
  }
  return symbol;
}

static unsigned char* ReadFile(const char* path, size_t* size) {
  FILE* file = fopen(path, "rb");
  if (file == NULL) return NULL;
  unsigned char* bytes = NULL;
  size_t used = 0, capacity = 0, got = 0;
  do {
    if (used == capacity) {
      capacity = capacity ? capacity * 2 : 1 << 16;
      unsigned char* grown = realloc(bytes, capacity);
      if (grown == NULL) break;
      bytes = grown;
    }
    got = fread(bytes + used, 1, capacity - used, file);
    used += got;
  } while (got > 0);
  fclose(file);
  *size = used;
  return bytes;
}

int main(int argc, char** argv) {
  if (argc != 5 || strcmp(argv[3], "--frames") != 0) {
    fprintf(stderr, "usage: libretro-harness CORE IMAGE --frames N\n");
    return 2;
  }
  const long frames = strtol(argv[4], NULL, 10);
  void* core = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (core == NULL) {
    fprintf(stderr, "libretro-harness: %s\n", dlerror());
    return 1;
  }
  size_t size = 0;
  unsigned char* image = ReadFile(argv[2], &size);
  if (image == NULL || size == 0) {
    fprintf(stderr, "libretro-harness: cannot read %s\n", argv[2]);
    return 1;
  }

  ((void (*)(EnvironmentFn))Symbol(core, "retro_set_environment"))(Environment);
  ((void (*)(VideoFn))Symbol(core, "retro_set_video_refresh"))(Video);
  ((void (*)(SampleFn))Symbol(core, "retro_set_audio_sample"))(Sample);
  ((void (*)(SampleBatchFn))Symbol(core, "retro_set_audio_sample_batch"))(SampleBatch);
  ((void (*)(PollFn))Symbol(core, "retro_set_input_poll"))(Poll);
  ((void (*)(InputStateFn))Symbol(core, "retro_set_input_state"))(InputState);
  ((void (*)(void))Symbol(core, "retro_init"))();
  const struct retro_game_info game = {argv[2], image, size, NULL};
  if (!((bool (*)(const struct retro_game_info*))Symbol(core, "retro_load_game"))(&game)) {
    fprintf(stderr, "libretro-harness: the core refused %s\n", argv[2]);
    return 1;
  }

  void (*run)(void) = (void (*)(void))Symbol(core, "retro_run");
  struct timespec start, end;
  clock_gettime(CLOCK_MONOTONIC, &start);
  for (long frame = 0; frame < frames; ++frame) run();
  clock_gettime(CLOCK_MONOTONIC, &end);
  const double seconds = (double)(end.tv_sec - start.tv_sec) + (double)(end.tv_nsec - start.tv_nsec) / 1e9;

  ((void (*)(void))Symbol(core, "retro_unload_game"))();
  ((void (*)(void))Symbol(core, "retro_deinit"))();
  printf("%ld frames in %.3f s (%.0f frames per second), %lu pictures\n", frames, seconds,
         seconds > 0 ? (double)frames / seconds : 0.0, gVideoFrames);
  free(image);
  return 0;
}
