#include "tests/integration/realtime/armed_counters.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <semaphore.h>
#include <sys/types.h>
#include <unistd.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace ampliro::realtime {
namespace {

thread_local bool tArmed = false;
std::atomic<int64_t> gAllocations{0};
std::atomic<int64_t> gLockCalls{0};
std::atomic<int64_t> gFileCalls{0};

void Count(std::atomic<int64_t>& counter) {
    if (tArmed) counter.fetch_add(1, std::memory_order_relaxed);
}

// The next definition of name after this program's own, looked up once.
template <typename Function>
Function Next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

void* Allocate(size_t size) {
    Count(gAllocations);
    void* p = std::malloc(size == 0 ? 1 : size);
    if (!p) throw std::bad_alloc();
    return p;
}

void* AllocateAligned(size_t size, std::align_val_t align) {
    Count(gAllocations);
    const size_t a = static_cast<size_t>(align);
    void* p = std::aligned_alloc(a, (size + a - 1) / a * a);
    if (!p) throw std::bad_alloc();
    return p;
}

void Free(void* p) {
    if (p) Count(gAllocations);
    std::free(p);
}

}  // namespace

void Arm() {
    tArmed = true;
}
void Disarm() {
    tArmed = false;
}
Counts Read() {
    return {gAllocations.load(), gLockCalls.load(), gFileCalls.load()};
}
void Reset() {
    gAllocations = 0;
    gLockCalls = 0;
    gFileCalls = 0;
}

}  // namespace ampliro::realtime

using ampliro::realtime::Allocate;
using ampliro::realtime::AllocateAligned;
using ampliro::realtime::Count;
using ampliro::realtime::Free;
using ampliro::realtime::gFileCalls;
using ampliro::realtime::gLockCalls;
using ampliro::realtime::Next;

void* operator new(size_t size) {
    return Allocate(size);
}
void* operator new[](size_t size) {
    return Allocate(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new(size_t size, std::align_val_t align) {
    return AllocateAligned(size, align);
}
void* operator new[](size_t size, std::align_val_t align) {
    return AllocateAligned(size, align);
}
void operator delete(void* p) noexcept {
    Free(p);
}
void operator delete[](void* p) noexcept {
    Free(p);
}
void operator delete(void* p, size_t) noexcept {
    Free(p);
}
void operator delete[](void* p, size_t) noexcept {
    Free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    Free(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    Free(p);
}
void operator delete(void* p, size_t, std::align_val_t) noexcept {
    Free(p);
}
void operator delete[](void* p, size_t, std::align_val_t) noexcept {
    Free(p);
}

// Each wrapper counts, then calls what the name would have meant without
// this program (the C library, or a sanitizer's own wrapper of it).
#define AMPLIRO_COUNTED(counter, result, name, params, args)    \
    extern "C" result name params {                             \
        Count(counter);                                         \
        static const auto next = Next<result(*) params>(#name); \
        return next args;                                       \
    }

AMPLIRO_COUNTED(gLockCalls, int, pthread_mutex_lock, (pthread_mutex_t * m), (m))
AMPLIRO_COUNTED(gLockCalls, int, pthread_mutex_trylock, (pthread_mutex_t * m), (m))
AMPLIRO_COUNTED(gLockCalls, int, pthread_mutex_timedlock,
                (pthread_mutex_t * m, const struct timespec* t), (m, t))
AMPLIRO_COUNTED(gLockCalls, int, pthread_rwlock_rdlock, (pthread_rwlock_t * l), (l))
AMPLIRO_COUNTED(gLockCalls, int, pthread_rwlock_wrlock, (pthread_rwlock_t * l), (l))
AMPLIRO_COUNTED(gLockCalls, int, pthread_cond_wait, (pthread_cond_t * c, pthread_mutex_t* m),
                (c, m))
AMPLIRO_COUNTED(gLockCalls, int, pthread_cond_timedwait,
                (pthread_cond_t * c, pthread_mutex_t* m, const struct timespec* t), (c, m, t))
AMPLIRO_COUNTED(gLockCalls, int, sem_wait, (sem_t * s), (s))
AMPLIRO_COUNTED(gLockCalls, int, sem_timedwait, (sem_t * s, const struct timespec* t), (s, t))

AMPLIRO_COUNTED(gFileCalls, FILE*, fopen, (const char* path, const char* mode), (path, mode))
AMPLIRO_COUNTED(gFileCalls, FILE*, fopen64, (const char* path, const char* mode), (path, mode))
AMPLIRO_COUNTED(gFileCalls, int, fclose, (FILE * f), (f))
AMPLIRO_COUNTED(gFileCalls, size_t, fread, (void* p, size_t size, size_t n, FILE* f),
                (p, size, n, f))
AMPLIRO_COUNTED(gFileCalls, size_t, fwrite, (const void* p, size_t size, size_t n, FILE* f),
                (p, size, n, f))
AMPLIRO_COUNTED(gFileCalls, int, fseek, (FILE * f, long offset, int whence), (f, offset, whence))
AMPLIRO_COUNTED(gFileCalls, int, fflush, (FILE * f), (f))
AMPLIRO_COUNTED(gFileCalls, ssize_t, read, (int fd, void* p, size_t n), (fd, p, n))
AMPLIRO_COUNTED(gFileCalls, ssize_t, write, (int fd, const void* p, size_t n), (fd, p, n))
AMPLIRO_COUNTED(gFileCalls, off_t, lseek, (int fd, off_t offset, int whence), (fd, offset, whence))

extern "C" int open(const char* path, int flags, ...) {
    Count(gFileCalls);
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list list;
        va_start(list, flags);
        mode = static_cast<mode_t>(va_arg(list, int));
        va_end(list);
    }
    static const auto next = Next<int (*)(const char*, int, ...)>("open");
    return next(path, flags, mode);
}
