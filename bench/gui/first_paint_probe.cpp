// Preloaded into a Qt program under X: at the first image or area copy the program sends to
// the server (its first painted window), writes the CLOCK_MONOTONIC time in nanoseconds to the
// file named by FIRST_PAINT_OUT and ends the process.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

struct Cookie { // xcb_void_cookie_t
    unsigned int sequence;
};

void FirstPaint()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    const char* path = std::getenv("FIRST_PAINT_OUT");
    if (std::FILE* out = path ? std::fopen(path, "w") : nullptr) {
        std::fprintf(out, "%lld\n",
                     static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
        std::fclose(out);
    }
    _exit(0);
}

// The real function: the xcb libraries come with the platform plugin, which is loaded with
// local symbols, so RTLD_NEXT alone may not see them.
void* RealFunction(const char* name, const char* library)
{
    if (void* function = dlsym(RTLD_NEXT, name))
        return function;
    void* handle = dlopen(library, RTLD_LAZY | RTLD_NOLOAD);
    return handle ? dlsym(handle, name) : nullptr;
}

} // namespace

#define PROBE(name, library, params, args)                                                         \
    Cookie name params                                                                             \
    {                                                                                              \
        auto real = reinterpret_cast<Cookie(*) params>(RealFunction(#name, library));              \
        Cookie cookie = real args;                                                                 \
        FirstPaint();                                                                              \
        return cookie;                                                                             \
    }

extern "C" {

PROBE(xcb_put_image, "libxcb.so.1",
      (void* c, uint8_t format, uint32_t drawable, uint32_t gc, uint16_t width, uint16_t height,
       int16_t x, int16_t y, uint8_t pad, uint8_t depth, uint32_t len, const uint8_t* data),
      (c, format, drawable, gc, width, height, x, y, pad, depth, len, data))

PROBE(xcb_shm_put_image, "libxcb-shm.so.0",
      (void* c, uint32_t drawable, uint32_t gc, uint16_t tw, uint16_t th, uint16_t sx, uint16_t sy,
       uint16_t sw, uint16_t sh, int16_t dx, int16_t dy, uint8_t depth, uint8_t format,
       uint8_t sendEvent, uint32_t shmseg, uint32_t offset),
      (c, drawable, gc, tw, th, sx, sy, sw, sh, dx, dy, depth, format, sendEvent, shmseg, offset))

PROBE(xcb_copy_area, "libxcb.so.1",
      (void* c, uint32_t src, uint32_t dst, uint32_t gc, int16_t sx, int16_t sy, int16_t dx,
       int16_t dy, uint16_t w, uint16_t h),
      (c, src, dst, gc, sx, sy, dx, dy, w, h))

} // extern "C"
