// Preloaded into the game by the end-to-end tests to bring about failures a
// test cannot otherwise cause:
// - after SIGUSR2, every malloc, calloc and realloc fails, as when memory
//   runs out in the middle of play;
// - with DROWSEL_TEST_NO_CP932 set, iconv has no CP932 converter.
#include <dlfcn.h>
#include <iconv.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
}

namespace {

volatile sig_atomic_t memory_gone = 0;

extern "C" void take_memory_away(int) { memory_gone = 1; }

__attribute__((constructor)) void install() { std::signal(SIGUSR2, take_memory_away); }

void* refused() {
    errno = ENOMEM;
    return nullptr;
}

}  // namespace

extern "C" {

void* malloc(size_t size) { return memory_gone ? refused() : __libc_malloc(size); }

void* calloc(size_t count, size_t size) { return memory_gone ? refused() : __libc_calloc(count, size); }

void* realloc(void* block, size_t size) { return memory_gone ? refused() : __libc_realloc(block, size); }

iconv_t iconv_open(const char* to, const char* from) {
    if (std::getenv("DROWSEL_TEST_NO_CP932") != nullptr &&
        (std::strstr(to, "CP932") != nullptr || std::strstr(from, "CP932") != nullptr)) {
        errno = EINVAL;
        return reinterpret_cast<iconv_t>(-1);
    }
    using Open = iconv_t (*)(const char*, const char*);
    static Open real = reinterpret_cast<Open>(dlsym(RTLD_NEXT, "iconv_open"));
    return real(to, from);
}
}
